#include "tools/WdgMakeFrames.h"

#include "common/Reporter.h"
#include "frames/FrameQr.h"
#include "gui/OpenWindow.h"
#include "gui/FileDialogs.h"
#include "ui_WdgMakeFrames.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

namespace {
/// The size the form was designed for.
constexpr int kFormWidth = 800;
constexpr int kFormHeight = 400;
} // namespace

WdgMakeFrames::WdgMakeFrames(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgMakeFrames)
{
    m_ui->setupUi(this);
    m_ui->spinBox_maxLoad->setRange(OrvFrame::kMinPayload, OrvFrame::kMaxPayload);

    connect(m_ui->widget_TreeViewParams, &WdgTreeViewParams::onSelectedParamsToFrames, this,
            &WdgMakeFrames::onSelectedParamsToFrames);
    WdgTreeViewFrame *view = m_ui->widget_TreeViewFrames;
    connect(view, &WdgTreeViewFrame::onRemoveSelectedFrames, this, &WdgMakeFrames::onRemoveSelectedFrames);
    connect(view, &WdgTreeViewFrame::onRemoveAllFrames, this, &WdgMakeFrames::onDeleteAllFrames);
    connect(view, &WdgTreeViewFrame::onExportSelectedFramesToClipboard, this,
            &WdgMakeFrames::onExportSelectedFramesToClipboard);
    connect(view, &WdgTreeViewFrame::onImportFramesFromClipboard, this,
            &WdgMakeFrames::onImportFramesFromClipboard);
    refreshCounter();
}

WdgMakeFrames::~WdgMakeFrames() = default;

void WdgMakeFrames::setNames(const QMap<quint8, QString> &names)
{
    m_paramNames = names;
    m_ui->widget_TreeViewParams->setNames(names);
    m_ui->widget_TreeViewFrames->setNames(names);
}

void WdgMakeFrames::setBufferFlags(const QMap<quint8, bool> &flags)
{
    m_bufferFlags = flags;
    m_ui->widget_TreeViewFrames->setBufferFlags(flags);
}

void WdgMakeFrames::setMaxPayload(int bytes)
{
    m_ui->spinBox_maxLoad->setValue(qMax(bytes, OrvFrame::kMinPayload));
}

void WdgMakeFrames::showExportControls(bool exporting)
{
    const QList<QWidget *> exportOnly = {m_ui->widget_ViewParams, m_ui->toolButton_export,
                                         m_ui->label_maxload, m_ui->spinBox_maxLoad,
                                         m_ui->toolButton_reMakeFrames};
    for (QWidget *w : exportOnly)
        w->setVisible(exporting);
    m_ui->toolButton_import->setVisible(!exporting);
    m_ui->widget_TreeViewFrames->showImportAction(!exporting);
    m_ui->widget_TreeViewFrames->showExportActions(exporting);
}

void WdgMakeFrames::setExportMode()
{
    showExportControls(true);
    m_ui->widget_TreeViewParams->setParams(m_params);
}

void WdgMakeFrames::setImportMode()
{
    showExportControls(false);
}

OrvFrameList WdgMakeFrames::frames() const
{
    return m_ui->widget_TreeViewFrames->frames();
}

QSize WdgMakeFrames::sizeHint() const
{
    return QWidget::sizeHint().expandedTo(QSize(kFormWidth, kFormHeight));
}

// --- moving parameters and frames ---------------------------------------------------------------

void WdgMakeFrames::refreshCounter()
{
    m_ui->label_counterFrames->setText(
        tr("Counter frames: %n", nullptr, m_ui->widget_TreeViewFrames->frameCount()));
}

void WdgMakeFrames::expandIfChecked()
{
    if (m_ui->toolButton_expand->isChecked())
        m_ui->widget_TreeViewFrames->expandFrames();
}

void WdgMakeFrames::addFrameToView(const OrvFrame &frame)
{
    m_ui->widget_TreeViewFrames->addFrame(frame);
    if (frame.size() > m_ui->spinBox_maxLoad->value())
        m_ui->spinBox_maxLoad->setValue(frame.size());
    expandIfChecked();
    refreshCounter();
}

OrvParamList WdgMakeFrames::packAndShow(OrvParamList params)
{
    const FrameBuild built = buildFrames(params, m_ui->spinBox_maxLoad->value());
    for (const OrvFrame &f : built.frames)
        addFrameToView(f);
    return built.rejected;
}

void WdgMakeFrames::on_toolButton_addToViewFrames_clicked()
{
    onSelectedParamsToFrames();
}

void WdgMakeFrames::onSelectedParamsToFrames()
{
    OrvParamList selected = m_ui->widget_TreeViewParams->selectedParams();
    if (selected.isEmpty())
        return;
    const OrvParamList rejected = packAndShow(selected);
    // A record that fits no frame (empty, or larger than the payload) stays where it was.
    for (const OrvParam &r : rejected) {
        const int at = selected.indexOf(r);
        if (at >= 0)
            selected.remove(at);
    }
    m_ui->widget_TreeViewParams->removeParams(selected);
}

void WdgMakeFrames::on_toolButton_removeFromViewFrames_clicked()
{
    onRemoveSelectedFrames();
}

void WdgMakeFrames::onRemoveSelectedFrames()
{
    const OrvFrameList removed = m_ui->widget_TreeViewFrames->selectedFrames();
    if (removed.isEmpty())
        return;
    m_ui->widget_TreeViewFrames->removeFrames(removed);
    refreshCounter();
    expandIfChecked();
    // The parameters return to the parameter view, chunks joined with those still there.
    OrvParamList params = m_ui->widget_TreeViewParams->params();
    for (const OrvFrame &f : removed)
        f.extractParams(params, m_bufferFlags, true);
    m_ui->widget_TreeViewParams->setParams(params);
}

void WdgMakeFrames::on_toolButton_clean_clicked()
{
    onDeleteAllFrames();
}

void WdgMakeFrames::onDeleteAllFrames()
{
    WdgTreeViewFrame *view = m_ui->widget_TreeViewFrames;
    if (view->frameCount() > 0) {
        if (reporter().question(tr("Delete all frames"), tr("Are you sure to delete all frames ?"),
                                Reporter::Yes | Reporter::No, Reporter::NoButton, this) != Reporter::Yes ||
            OpenWindow::closing(this))
            return;
        view->removeAll();
    }
    m_ui->widget_TreeViewParams->setParams(m_params);
    refreshCounter();
}

void WdgMakeFrames::on_toolButton_reMakeFrames_clicked()
{
    WdgTreeViewFrame *view = m_ui->widget_TreeViewFrames;
    OrvParamList params;
    for (const OrvFrame &f : view->frames())
        f.extractParams(params, m_bufferFlags, true);
    view->removeAll();
    refreshCounter();
    const OrvParamList rejected = packAndShow(params);
    if (rejected.isEmpty())
        return;
    // Parameters too large for the new payload go back to the parameter view.
    OrvParamList back = m_ui->widget_TreeViewParams->params();
    for (const OrvParam &r : rejected)
        mergeParam(back, r);
    m_ui->widget_TreeViewParams->setParams(back);
}

void WdgMakeFrames::on_toolButton_expand_toggled(bool checked)
{
    if (checked)
        m_ui->widget_TreeViewFrames->expandFrames();
}

void WdgMakeFrames::on_toolButton_collapse_clicked()
{
    m_ui->widget_TreeViewFrames->collapseFrames();
    m_ui->toolButton_expand->setChecked(false);
}

// --- frame text ---------------------------------------------------------------------------------

void WdgMakeFrames::on_toolButton_export_clicked()
{
    QMenu menu(this);
    menu.addAction(tr("Export selected frames to clipboard"), this,
                   &WdgMakeFrames::onExportSelectedFramesToClipboard);
    menu.addAction(tr("Export selected frames as QR Code"), this,
                   &WdgMakeFrames::onExportSelectedFramesToQrCode);
    menu.addAction(tr("Export all frames to clipboard"), this, &WdgMakeFrames::onExportAllFramesToClipboard);
    menu.addAction(tr("Export all frames as QR Code"), this, &WdgMakeFrames::onExportAllFramesToQrCode);
    OpenWindow::exec(&menu, QCursor::pos());
}

void WdgMakeFrames::on_toolButton_import_clicked()
{
    QMenu menu(this);
    menu.addAction(tr("Import frames from clipboard"), this, &WdgMakeFrames::onImportFramesFromClipboard);
    OpenWindow::exec(&menu, QCursor::pos());
}

void WdgMakeFrames::onExportSelectedFramesToClipboard()
{
    QGuiApplication::clipboard()->setText(exportText(m_ui->widget_TreeViewFrames->selectedFrames()));
}

void WdgMakeFrames::onExportAllFramesToClipboard()
{
    m_ui->widget_TreeViewFrames->selectAll();
    onExportSelectedFramesToClipboard();
}

void WdgMakeFrames::onExportSelectedFramesToQrCode()
{
    const QString text = exportText(m_ui->widget_TreeViewFrames->selectedFrames());
    const FrameQr::Encoded qr = FrameQr::encode(text);
    qCDebug(lcFrames).noquote() << "QR Code text:" << text;
    if (!qr.ok()) {
        FrameQr::reportFailure(reporter(), qr.error, this);
        return;
    }
    const QString path = fileDialogs().getSaveFileName(this, tr("Save Qr Image"),
                                                       QStringLiteral("qr_code.png"), tr("Images (*.png)"));
    if (path.isEmpty() || OpenWindow::closing(this))
        return;
    if (!FrameQr::savePng(qr.image, path))
        FrameQr::reportFailure(reporter(), QString(), this);
}

void WdgMakeFrames::onExportAllFramesToQrCode()
{
    m_ui->widget_TreeViewFrames->selectAll();
    onExportSelectedFramesToQrCode();
}

void WdgMakeFrames::onImportFramesFromClipboard()
{
    const FrameImport imported = importText(QGuiApplication::clipboard()->text());
    for (const QString &line : imported.invalidLines) {
        reporter().information(invalidFramesTitle(), invalidFrameText(line), this);
        if (OpenWindow::closing(this))
            return; // the device went while the box was open: no further box
    }
    for (const OrvFrame &f : imported.frames)
        addFrameToView(f);
}
