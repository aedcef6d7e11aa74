// k71vt-sim: drives the virtual K71 VT inside the running K71VT program.
//
//   k71vt-sim [--timeout <ms>] <request...>
//
// The words of the request are joined by spaces and sent to the program; its
// reply lines are printed. Exit status: 0 done, 1 the program is not reachable,
// 2 the program refused the request.
#include "platform/SimulatorChannel.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
constexpr const char* applicationName = "K71VT";

void printUsage()
{
    std::fputs("usage: k71vt-sim [--timeout <ms>] <request>\n"
               "requests:\n"
               "  plug | unplug | status\n"
               "  volume in|out <channel> <dB>\n"
               "  mute in|out 0|1\n"
               "  rate <Hz>\n"
               "  source analog|digital|<number>\n"
               "  power can-sleep|will-sleep|will-power-on|has-powered-on [<id>]\n"
               "  reports | writes | log | clear\n",
               stderr);
}
} // namespace

int main(int argc, char** argv)
{
    int timeoutMs = 3000;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--timeout")
    {
        timeoutMs = std::atoi(argv[2]);
        first = 3;
    }
    if (first >= argc || timeoutMs <= 0)
    {
        printUsage();
        return 2;
    }

    std::string request;
    for (int i = first; i < argc; ++i)
        request += (i == first ? "" : " ") + std::string(argv[i]);

    const auto reply = platform::askSimulator(applicationName, request, timeoutMs);
    if (!reply.has_value())
    {
        std::fputs("k71vt-sim: no running K71VT program answered\n", stderr);
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
