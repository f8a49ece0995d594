#pragma once
// The dialog around the serial terminal of the radio module ("Kiv terminal").

#include <QDialog>
#include <QScopedPointer>

class WdgUartTerm;

namespace Ui {
class DlgUartTerm;
}

class DlgUartTerm : public QDialog
{
    Q_OBJECT
public:
    explicit DlgUartTerm(QWidget *parent = nullptr);
    ~DlgUartTerm() override;

    /// The terminal widget ("widget").
    WdgUartTerm *terminal() const;

private:
    const QScopedPointer<Ui::DlgUartTerm> m_ui;
};
