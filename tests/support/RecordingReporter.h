#pragma once
// A reporter for tests: records every box and status message, answers questions from a
// queue the test fills, and counts a box nobody expected (no answer queued for a question)
// as a failure that the test's cleanup() checks with verifyNoUnexpected().

#include "common/Reporter.h"

#include <QList>
#include <QPair>
#include <QStringList>

class RecordingReporter : public Reporter
{
public:
    int box(const Box &b) override;
    void status(const QString &text, int timeoutMs) override;

    /// Queues the answer of the next question (a box with more than one button).
    void answer(int button) { m_answers.append(button); }

    /// Removes and returns the oldest recorded box (an empty Box when there is none).
    Box takeBox();
    /// Whether any box is still recorded.
    bool hasBoxes() const { return !boxes.isEmpty(); }
    /// Removes all recorded boxes and statuses.
    void clear();

    QList<Box> boxes;
    QList<QPair<QString, int>> statuses;
    /// Statuses' texts only, in order.
    QStringList statusTexts() const;
    /// Questions that found no queued answer.
    QStringList unexpected;

private:
    QList<int> m_answers;
};

/// Installs a RecordingReporter as the process reporter for the lifetime of the object.
class ScopedRecordingReporter : public RecordingReporter
{
public:
    ScopedRecordingReporter() { setReporter(this); }
    ~ScopedRecordingReporter() override { setReporter(nullptr); }
};

#include <QtTest>

/// Fails the current test when a box was shown that the test did not take, or a question
/// found no answer.
#define VERIFY_NO_PENDING_BOXES(rep)                                                                         \
    do {                                                                                                     \
        QVERIFY2((rep).unexpected.isEmpty(),                                                                 \
                 qPrintable("unexpected question: " + (rep).unexpected.join('\n')));                         \
        QVERIFY2((rep).boxes.isEmpty(),                                                                      \
                 qPrintable("unexpected box: " + ((rep).boxes.isEmpty() ? QString()                          \
                                                                        : (rep).boxes.first().title + ": " + \
                                                                              (rep).boxes.first().text)));   \
    } while (0)
