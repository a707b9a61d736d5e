#pragma once

namespace qdv {

// The modem status lines of a serial port as last seen, and the rule that turns a change of them into a
// lost line: the carrier (RLSD) falling while DSR was on. A device that never raises DSR, such as a
// three-wire cable or an adapter without modem lines, therefore never loses its line this way.
class ModemLines {
public:
    // Bits of the status word (as the port reports them, TIOCM_* on Linux).
    static const int kCts;
    static const int kDsr;
    static const int kRlsd;

    // Takes a status word read from the port; true when it shows the carrier lost.
    bool Update(int status);
    void Reset() { *this = ModemLines(); }

    int Last() const { return m_last; }
    bool Cts() const { return m_cts; }
    bool Dsr() const { return m_dsr; }
    bool Rlsd() const { return m_rlsd; }

private:
    int m_last = 0;
    bool m_cts = false;
    bool m_dsr = false;
    bool m_rlsd = false;
};

} // namespace qdv
