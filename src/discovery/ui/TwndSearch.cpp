#include "discovery/ui/TwndSearch.h"

#include "widgets/TPanelButton.h"

#include <QLabel>
#include <QProgressBar>

namespace qdv {

namespace {
constexpr int kWidth = 274;
constexpr int kHeight = 89;
constexpr int kFirstStepMs = 10;
} // namespace

TwndSearch::TwndSearch(DeviceSearch::RequestSink requests, QWidget* parent)
    : TPanelDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_search(std::move(requests)) {
    setObjectName(QStringLiteral("wndSearch"));
    setWindowTitle(QStringLiteral("Searching..."));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    m_label1 = new QLabel(QStringLiteral("Detecting the devices on the network."), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(12, 8, kWidth - 24, 18);

    m_prgSnd = new QProgressBar(this);
    m_prgSnd->setObjectName(QStringLiteral("prgSnd"));
    m_prgSnd->setRange(0, DeviceSearch::kProgressSteps);
    m_prgSnd->setTextVisible(false);
    m_prgSnd->setGeometry(12, 30, kWidth - 24, 16);

    m_btnCancel =
        AddPanelButton(QStringLiteral("Cancel"), QStringLiteral("btnCancel"), [this] { btnCancelClick(); });
    m_btnCancel->setGeometry((kWidth - 80) / 2, 56, 80, 25);

    m_timSearch.setObjectName(QStringLiteral("timSearch"));
    m_timSearch.setSingleShot(true);
    connect(&m_timSearch, &QTimer::timeout, this, &TwndSearch::timSearchTimer);
}

void TwndSearch::showEvent(QShowEvent* event) {
    TPanelDialog::showEvent(event);
    FormShow();
}

void TwndSearch::FormShow() {
    m_search.Reset();
    m_prgSnd->setValue(0);
    m_timSearch.start(kFirstStepMs);
}

void TwndSearch::timSearchTimer() {
    m_timSearch.stop();
    const int wait = m_search.Step();
    m_prgSnd->setValue(m_search.Progress());
    if (wait == DeviceSearch::kEnded) {
        accept();
        return;
    }
    m_timSearch.start(static_cast<int>(wait * m_pace));
}

void TwndSearch::btnCancelClick() {
    m_timSearch.stop();
    reject();
}

void TwndSearch::done(int result) {
    FormClose();
    TPanelDialog::done(result);
}

void TwndSearch::FormClose() {
    m_timSearch.stop();
    m_search.Reset();
}

} // namespace qdv
