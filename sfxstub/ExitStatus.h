#pragma once
// A self-extracting program ends with the low byte of its session result as
// its exit status: 420 gives 164, 430 gives 174, 510 gives 254, -1 gives
// 255; the other results (0 to 250) are their own status. Every result has a status of its
// own, so a caller that started the program reads the result back here.
namespace qm::sfxstub {

constexpr int exitStatusOf(int result)
{
    return result & 0xFF;
}

// The session result of an exit status.
constexpr int resultOfExitStatus(int status)
{
    switch (status & 0xFF) {
    case 164: return 420; // a disk asked for was not supplied
    case 174: return 430; // a part of the set beside the program is missing
    case 254: return 510; // the destination could not be made
    case 255: return -1;  // the configuration block is missing or damaged
    default: return status & 0xFF;
    }
}

static_assert(resultOfExitStatus(exitStatusOf(420)) == 420 && resultOfExitStatus(exitStatusOf(430)) == 430
              && resultOfExitStatus(exitStatusOf(510)) == 510
              && resultOfExitStatus(exitStatusOf(-1)) == -1 && resultOfExitStatus(exitStatusOf(190)) == 190);

} // namespace qm::sfxstub
