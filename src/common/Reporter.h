#pragma once
// Every box and status message the user sees goes through a Reporter, so the
// GUI, the command line and the tests can each show, print or record them.

#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

class Reporter
{
public:
    /// Icons of a box; the GUI maps them onto QMessageBox::Icon.
    enum Icon
    {
        NoIcon = 0,
        Information = 1,
        Warning = 2,
        Critical = 3,
        Question = 4,
        About = 100
    };

    /// Buttons; the values are those of QMessageBox::StandardButton so the GUI can pass them through.
    enum Button
    {
        NoButton = 0x00000000,
        Ok = 0x00000400,
        Save = 0x00000800,
        Open = 0x00002000,
        Yes = 0x00004000,
        No = 0x00010000,
        Abort = 0x00040000,
        Retry = 0x00080000,
        Ignore = 0x00100000,
        Cancel = 0x00400000,
    };

    /// One message box as the user would see it.
    struct Box
    {
        Icon icon = NoIcon;
        QString title;
        QString text;
        QString informativeText;
        int buttons = Ok; ///< or-ed Button values
        int defaultButton = NoButton;
        QObject *parent = nullptr;      ///< the window the box belongs to; null for a box without parent
        QMap<int, QString> buttonTexts; ///< own texts of some buttons ("Write" on Ok), by Button
    };

    /// How long the status message of a transaction (load, apply, save...) stays in view.
    static constexpr int kStatusTimeoutMs = 3000;
    /// The timeout of a note: a status text the user must be able to read at leisure. The
    /// program shows it, whole, until the user dismisses it (a device page's message bar);
    /// printed, it is a status line like any other.
    static constexpr int kUntilDismissed = -1;

    /// A one-button (Ok) box.
    static Box oneButtonBox(Icon icon, const QString &title, const QString &text, QObject *parent = nullptr);

    virtual ~Reporter() = default;

    /// Shows a box and returns the button chosen (one of Box::buttons).
    virtual int box(const Box &b) = 0;

    /// Shows a status-bar message for timeoutMs milliseconds (0: until replaced). An empty
    /// text takes back the message shown (nothing to print where messages are printed).
    virtual void status(const QString &text, int timeoutMs) = 0;

    // Conveniences for the common one-button boxes.
    void information(const QString &title, const QString &text, QObject *parent = nullptr);
    void warning(const QString &title, const QString &text, QObject *parent = nullptr);
    void critical(const QString &title, const QString &text, QObject *parent = nullptr);
    /// An about box (rich text, the application's icon).
    void about(const QString &title, const QString &text, QObject *parent = nullptr);
    /// A question box; returns the chosen button.
    int question(const QString &title, const QString &text, int buttons = Yes | No,
                 int defaultButton = NoButton, QObject *parent = nullptr);
};

/// A reporter that sends boxes to another reporter and status messages to a function,
/// so that each device object can show its status in its own status bar.
class ForwardingReporter : public Reporter
{
public:
    explicit ForwardingReporter(Reporter *boxes = nullptr) : m_boxes(boxes) {}
    void setStatusSink(std::function<void(const QString &, int)> sink) { m_sink = std::move(sink); }
    int box(const Box &b) override;
    void status(const QString &text, int timeoutMs) override;

private:
    Reporter *m_boxes;
    std::function<void(const QString &, int)> m_sink;
};

/// The process-wide reporter (set by main, the CLI or a test). Never null: until one
/// is installed, boxes go to the debug log and questions answer with their default.
Reporter &reporter();
void setReporter(Reporter *r);
