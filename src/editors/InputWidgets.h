#pragma once
// Selection and number boxes for editors that sit in scroll areas. Scrolling a page with the
// mouse wheel must never change a value the pointer happens to pass over, so these boxes take
// keyboard focus only by tab or click and swallow wheel events.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>

class QWheelEvent;

/// Combo box that ignores the mouse wheel; focus by tab or click only.
class comboBoxQuor : public QComboBox
{
public:
    explicit comboBoxQuor(QWidget *parent = nullptr);

protected:
    /// Does nothing and keeps the event accepted: the selection stays and the enclosing
    /// scroll area does not scroll either.
    void wheelEvent(QWheelEvent *event) override;
};

/// Integer spin box that ignores the mouse wheel; focus by tab or click only.
class spinboxQuor : public QSpinBox
{
    Q_OBJECT
public:
    /// The box starts at value, clamped by the box's range like any value.
    explicit spinboxQuor(QWidget *parent = nullptr, int value = 0);

protected:
    /// Does nothing and keeps the event accepted.
    void wheelEvent(QWheelEvent *event) override;
};

/// Double spin box that ignores the mouse wheel; focus by tab or click only.
class doubleSpinBoxQuor : public QDoubleSpinBox
{
public:
    explicit doubleSpinBoxQuor(QWidget *parent = nullptr);

protected:
    /// Does nothing and keeps the event accepted.
    void wheelEvent(QWheelEvent *event) override;
};
