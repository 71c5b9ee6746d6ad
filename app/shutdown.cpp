#include "app/viewer.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t quitRequested = 0;

// Nothing else is safe here: exit() could run into a lock that the GL driver holds.
void RequestQuit(int) {
    quitRequested = 1;
}

} // namespace

void InstallSignalHandlers() {
    struct sigaction action = {};
    action.sa_handler = RequestQuit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader of standard output that goes away (quillmere model.obj | head) must not end the
    // viewer: writes to the closed pipe fail quietly instead.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

bool QuitRequested() {
    return quitRequested != 0;
}
