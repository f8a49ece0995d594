#include "editors/InputWidgets.h"

#include <QWheelEvent>

comboBoxQuor::comboBoxQuor(QWidget *parent) : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void comboBoxQuor::wheelEvent(QWheelEvent *event)
{
    // The application ignores a wheel event before delivery; accepting it here stops it from
    // travelling on to the scroll area around the box.
    event->accept();
}

spinboxQuor::spinboxQuor(QWidget *parent, int value) : QSpinBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setValue(value);
}

void spinboxQuor::wheelEvent(QWheelEvent *event)
{
    event->accept();
}

doubleSpinBoxQuor::doubleSpinBoxQuor(QWidget *parent) : QDoubleSpinBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void doubleSpinBoxQuor::wheelEvent(QWheelEvent *event)
{
    event->accept();
}
