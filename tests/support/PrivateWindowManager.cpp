#include "support/PrivateWindowManager.h"

#include "support/MessageLoop.h"
#include "support/PrivateXServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace k71test
{
namespace
{
// A window manager announces itself with a check window on the root.
bool screenIsManaged()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    bool managed = false;
    if (check != None)
    {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                               &type, &format, &count, &after, &data) == Success)
            managed = count == 1;
        if (data != nullptr)
            XFree(data);
    }
    XCloseDisplay(display);
    return managed;
}
} // namespace

bool PrivateWindowManager::start()
{
    pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0)
    {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0)
        {
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        execlp("openbox", "openbox", "--sm-disable", (char*)nullptr);
        _exit(127);
    }
    if (pumpUntil(screenIsManaged, 20000))
        return true;
    stop();
    return false;
}

void PrivateWindowManager::stop()
{
    endChildProcess(pid);
}
} // namespace k71test
