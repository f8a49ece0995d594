#pragma once
// A bar above a page for notes the user must be able to read at leisure (values adjusted on
// load, the result of a frames import): unlike a status message it stays, whole and wrapped,
// until the user dismisses it. Notes that come while it is shown are added below.

#include <QFrame>

class QLabel;
class QToolButton;

class MessageBar : public QFrame
{
    Q_OBJECT
public:
    explicit MessageBar(QWidget *parent = nullptr);

    /// Shows text (added to the notes shown, when the bar is already open).
    void showNote(const QString &text);
    /// The notes shown, one per line; empty when the bar is closed.
    QString text() const;
    /// Closes the bar and forgets its notes.
    void dismiss();

private:
    QLabel *m_label;
    QToolButton *m_close;
};
