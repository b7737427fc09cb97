#pragma once

#include "logs/SystemLog.h"

#include <QPlainTextEdit>

// The window's system-log pane: read-only text without line wrap, the newest line at the end
// and scrolled into view.
class LogPane : public QPlainTextEdit, public SystemLogPane {
    Q_OBJECT

public:
    explicit LogPane(QWidget* parent = nullptr);

    void appendLine(const std::string& line) override;
};
