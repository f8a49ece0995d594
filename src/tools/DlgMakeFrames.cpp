#include "tools/DlgMakeFrames.h"

#include "tools/WdgMakeFrames.h"
#include "ui_DlgMakeFrames.h"

DlgMakeFrames::DlgMakeFrames(QWidget *parent) : QDialog(parent), m_ui(new Ui::DlgMakeFrames)
{
    m_ui->setupUi(this);
}

DlgMakeFrames::DlgMakeFrames(QWidget *parent, const QMap<quint8, QString> &paramNames,
                             const QMap<quint8, bool> &bufferFlags)
    : DlgMakeFrames(parent)
{
    setWindowTitle(tr("Import frames"));
    m_ui->buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    WdgMakeFrames *view = m_ui->widget_view;
    view->setNames(paramNames);
    view->setBufferFlags(bufferFlags);
    view->setImportMode();
    resize(sizeHint());
}

DlgMakeFrames::DlgMakeFrames(QWidget *parent, const OrvParamList &params,
                             const QMap<quint8, QString> &paramNames, const QMap<quint8, bool> &bufferFlags,
                             int maxPayload)
    : DlgMakeFrames(parent)
{
    setWindowTitle(tr("Export frames"));
    m_ui->buttonBox->setStandardButtons(QDialogButtonBox::Close);
    WdgMakeFrames *view = m_ui->widget_view;
    view->setParams(params);
    view->setNames(paramNames);
    view->setBufferFlags(bufferFlags);
    view->setMaxPayload(maxPayload);
    view->setExportMode();
    resize(sizeHint());
}

DlgMakeFrames::~DlgMakeFrames() = default;

OrvFrameList DlgMakeFrames::frames() const
{
    return m_ui->widget_view->frames();
}

WdgMakeFrames *DlgMakeFrames::builder() const
{
    return m_ui->widget_view;
}

void DlgMakeFrames::on_buttonBox_accepted()
{
    accept();
}

void DlgMakeFrames::on_buttonBox_rejected()
{
    reject();
}
