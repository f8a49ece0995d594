#include "tools/DlgUartTerm.h"
#include "ui_DlgUartTerm.h"

#include "tools/WdgUartTerm.h"

DlgUartTerm::DlgUartTerm(QWidget *parent) : QDialog(parent), m_ui(new Ui::DlgUartTerm)
{
    m_ui->setupUi(this);
    // The user opened the terminal to type: the input line has the focus.
    m_ui->widget->setFocus();
}

DlgUartTerm::~DlgUartTerm() = default;

WdgUartTerm *DlgUartTerm::terminal() const
{
    return m_ui->widget;
}
