// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/UserPrompts.h"

#include <QElapsedTimer>
#include <QProgressDialog>

// A progress dialog over the owner, shown only once the job looks like
// taking longer than kShowAfterMs, with a busy pointer meanwhile. Each
// report lets the owner paint; input reaches only the dialog, once shown,
// whose Cancel stops the job.
class CQtProgress final : public IProgressPrompt
{
public:
    static constexpr int kShowAfterMs = 300;

    CQtProgress(QWidget& owner, const QString& caption, const QString& text);
    ~CQtProgress() override;
    CQtProgress(const CQtProgress&) = delete;
    CQtProgress& operator=(const CQtProgress&) = delete;

    bool Advance(std::int64_t done, std::int64_t total) override;
    QProgressDialog& Dialog() { return m_dialog; }

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_sinceReport;
};
