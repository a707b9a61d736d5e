#include "link/ModemLines.h"

#include <sys/ioctl.h>

namespace qdv {

const int ModemLines::kCts = TIOCM_CTS;
const int ModemLines::kDsr = TIOCM_DSR;
const int ModemLines::kRlsd = TIOCM_CAR;

bool ModemLines::Update(int status) {
    if (status == m_last)
        return false;
    m_last = status;
    // The carrier must fall, not merely be off: a cable with DSR wired but no carrier would otherwise
    // fail at every change of CTS. DSR counts as it was at the previous change, because a cable pulled
    // out takes DSR and the carrier down together.
    const bool lost = m_rlsd && (status & kRlsd) == 0 && m_dsr;
    m_cts = (status & kCts) != 0;
    m_dsr = (status & kDsr) != 0;
    m_rlsd = (status & kRlsd) != 0;
    return lost;
}

} // namespace qdv
