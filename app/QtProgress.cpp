// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtProgress.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>

namespace
{
// The dialog counts in steps of a fixed scale, whatever the byte count.
constexpr int kSteps = 1000;
// Reports closer together than this only ask whether to stop.
constexpr int kReportMs = 20;
} // namespace

CQtProgress::CQtProgress(QWidget& owner, const QString& caption, const QString& text)
    : m_dialog(text, QProgressDialog::tr("Cancel"), 0, kSteps, &owner)
{
    m_dialog.setWindowTitle(caption);
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setMinimumDuration(kShowAfterMs);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setValue(0);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    m_sinceReport.start();
}

CQtProgress::~CQtProgress()
{
    QGuiApplication::restoreOverrideCursor();
}

bool CQtProgress::Advance(std::int64_t done, std::int64_t total)
{
    if (m_sinceReport.elapsed() < kReportMs)
        return !m_dialog.wasCanceled();
    m_sinceReport.restart();
    const int step = total > 0 ? int(done * kSteps / total) : kSteps;
    // A shown dialog is modal and lets every event through as it is set;
    // before that, the owner still paints, but takes no input.
    m_dialog.setValue(std::max(1, step));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return !m_dialog.wasCanceled();
}
