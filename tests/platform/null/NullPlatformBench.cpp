// No interface ever appears on the null backend, and it has nothing to prepare.

#include "platform/PlatformBench.h"
#include "support/Backend.h"

void k71test::prepareBackend() {}

namespace k71test::bench
{
void freshPlatform() {}
bool canAttachInterface()
{
    return false;
}
void attachInterface() {}
void detachInterface() {}
void changeOutputLevelOnTheDevice(float) {}
} // namespace k71test::bench
