#include "logs/ui/LogPane.h"

#include <QTextCursor>

LogPane::LogPane(QWidget* parent) : QPlainTextEdit(parent) {
    // Log lines are never taken back, so the pane keeps no undo history of them.
    setUndoRedoEnabled(false);
}

void LogPane::appendLine(const std::string& line) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromStdString(line));
    // The insertion point follows the newest line, which scrolls it into view.
    setTextCursor(cursor);
    ensureCursorVisible();
}
