#pragma once

#include "discovery/DeviceSearch.h"
#include "widgets/TPanelDialog.h"

#include <QTimer>

class QLabel;
class QProgressBar;

namespace qdv {

// "Searching...": a small modal window that runs one device search (three passes of the two discovery
// requests, about 9 s), shows its progress and closes itself; Cancel closes it at once. The answers
// fill the network device table meanwhile; whoever showed the window reads the table afterwards.
class TwndSearch : public TPanelDialog {
    Q_OBJECT

public:
    explicit TwndSearch(DeviceSearch::RequestSink requests, QWidget* parent = nullptr);

    // Tests run the search faster: every wait is multiplied by `factor`.
    void SetPace(double factor) { m_pace = factor; }

    void timSearchTimer();
    void btnCancelClick();

    QProgressBar* Progress() const { return m_prgSnd; }
    TPanelButton* CancelButton() const { return m_btnCancel; }
    const DeviceSearch& Search() const { return m_search; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    void FormClose();

    DeviceSearch m_search;
    double m_pace = 1.0;
    QLabel* m_label1 = nullptr;
    QProgressBar* m_prgSnd = nullptr;
    TPanelButton* m_btnCancel = nullptr;
    QTimer m_timSearch;
};

} // namespace qdv
