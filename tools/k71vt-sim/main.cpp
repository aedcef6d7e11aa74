// k71vt-sim: drives the virtual K71 VT inside the running K71VT program.
//
//   k71vt-sim [--timeout <ms>] <request...>
//   k71vt-sim --help | -h     (or no arguments: the usage, status 0)
//
// The words of the request are joined by spaces and sent to the program; its
// reply lines are printed. Exit status: 0 done, 1 the program is not reachable,
// 2 the program refused the request.
#include "platform/simulated/SimulatorChannel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace
{
constexpr const char* applicationName = "K71VT";

constexpr const char* requestNames[] = {"plug",   "unplug", "status",  "volume", "mute", "rate",
                                        "source", "power",  "reports", "writes", "log",  "clear"};

void printUsage(std::FILE* to)
{
    std::fputs("usage: k71vt-sim [--timeout <ms>] <request>\n"
               "requests:\n"
               "  plug | unplug | status\n"
               "  volume in|out <channel> <dB>\n"
               "  mute in|out 0|1\n"
               "  rate <Hz>\n"
               "  source analog|digital|<number>\n"
               "  power can-sleep|will-sleep|will-power-on|has-powered-on [<id>]\n"
               "  reports | writes | log | clear\n"
               "The timeout (default 3000 ms) covers connecting, sending and the reply.\n",
               to);
}

bool isKnownRequest(const char* word)
{
    for (const char* name : requestNames)
        if (std::strcmp(word, name) == 0)
            return true;
    return false;
}

std::optional<int> positiveNumber(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value <= 0 || value > 3600 * 1000)
        return std::nullopt;
    return (int)value;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 1 ||
        (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)))
    {
        printUsage(stdout);
        return 0;
    }

    int timeoutMs = 3000;
    int first = 1;
    if (std::strcmp(argv[1], "--timeout") == 0)
    {
        const auto given = argc > 2 ? positiveNumber(argv[2]) : std::nullopt;
        if (!given)
        {
            std::fputs("k71vt-sim: --timeout takes a number of milliseconds\n", stderr);
            printUsage(stderr);
            return 2;
        }
        timeoutMs = *given;
        first = 3;
    }
    if (first >= argc)
    {
        printUsage(stderr);
        return 2;
    }
    if (!isKnownRequest(argv[first]))
    {
        std::string known;
        for (const char* name : requestNames)
            known += std::string(known.empty() ? "" : ", ") + name;
        std::fprintf(stderr, "k71vt-sim: unknown request '%s' (requests: %s)\n", argv[first],
                     known.c_str());
        return 2;
    }

    std::string request;
    for (int i = first; i < argc; ++i)
        request += (i == first ? "" : " ") + std::string(argv[i]);

    const auto reply = sim::askSimulator(applicationName, request, timeoutMs);
    if (!reply.has_value() || reply->empty())
    {
        std::fputs(reply.has_value() ? "k71vt-sim: the K71VT program dropped the request\n"
                                     : "k71vt-sim: no running K71VT program answered\n",
                   stderr);
        return 1;
    }

    const auto lastLineStart = reply->rfind('\n', reply->size() >= 2 ? reply->size() - 2 : 0);
    const std::string body =
        lastLineStart == std::string::npos ? std::string() : reply->substr(0, lastLineStart + 1);
    const std::string status =
        lastLineStart == std::string::npos ? *reply : reply->substr(lastLineStart + 1);
    std::fputs(body.c_str(), stdout);
    if (status == "ok\n")
        return 0;
    std::fputs(("k71vt-sim: " + status).c_str(), stderr);
    return 2;
}
