#pragma once

namespace k71test
{
// Readies the backend the test program is linked with, before any test runs: each test
// program links a bench of its own that defines it.
void prepareBackend();
} // namespace k71test
