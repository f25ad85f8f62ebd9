#include "platform/process/StopSignals.h"

#include <csignal>
#include <initializer_list>
#include <fcntl.h>
#include <unistd.h>

namespace qm::process {

namespace {

int pipeEnds[2] = {-1, -1};

extern "C" void onStopSignal(int)
{
    const char c = 1;
    // A full pipe already holds a request; nothing more to say.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &c, 1);
}

} // namespace

int stopSignalDescriptor()
{
    if (pipeEnds[0] >= 0)
        return pipeEnds[0];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
        return -1;
    }
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &sa, nullptr);
    return pipeEnds[0];
}

void drainStopSignals()
{
    char buf[64];
    while (pipeEnds[0] >= 0 && ::read(pipeEnds[0], buf, sizeof buf) > 0) {
    }
}

} // namespace qm::process
