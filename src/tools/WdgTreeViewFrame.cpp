#include "tools/WdgTreeViewFrame.h"

#include "gui/OpenWindow.h"
#include "tools/WdgTreeViewParams.h"

#include <QAction>
#include <QMenu>
#include <QStandardItemModel>

namespace {
enum Column
{
    kColFrame = 0,
    kColParam = 1,
    kColValue = 2,
    kColumnCount
};
} // namespace

WdgTreeViewFrame::WdgTreeViewFrame(QWidget *parent)
    : QTreeView(parent), m_model(new QStandardItemModel(0, kColumnCount, this)), m_menu(new QMenu(this))
{
    m_model->setHorizontalHeaderLabels({tr("Frames"), tr("Parameter"), tr("Value")});
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    setContextMenuPolicy(Qt::CustomContextMenu);

    const QIcon importIcon(QStringLiteral(":/MainWindow/img/import.png"));
    const QIcon exportIcon(QStringLiteral(":/MainWindow/img/export.png"));
    const QIcon deleteIcon(QStringLiteral(":/MainWindow/img/delete.png"));
    m_actImport = new QAction(importIcon, tr("Import frames from clipboard"), this);
    m_actImport->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_V));
    m_actExportSelected = new QAction(exportIcon, tr("Export selected frames to clipboard"), this);
    m_actExportSelected->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_C));
    m_actExportAll = new QAction(exportIcon, tr("Export all frames to clipboard"), this);
    m_actRemoveSelected = new QAction(deleteIcon, tr("Remove selected frames"), this);
    m_actRemoveSelected->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_D));
    m_actRemoveAll = new QAction(deleteIcon, tr("Remove all frames"), this);
    m_actRemoveAll->setShortcut(QKeySequence(Qt::CTRL + Qt::ALT + Qt::Key_D));

    m_menu->addAction(m_actImport);
    m_menu->addAction(m_actExportSelected);
    m_menu->addAction(m_actExportAll);
    m_menu->addSeparator();
    m_menu->addAction(m_actRemoveSelected);
    m_menu->addAction(m_actRemoveAll);

    // The shortcuts work while the view has the focus, without opening the menu. A hidden action
    // (import while exporting, export while importing) takes no shortcut.
    for (QAction *a : {m_actImport, m_actExportSelected, m_actRemoveSelected, m_actRemoveAll}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }

    connect(m_actImport, &QAction::triggered, this, &WdgTreeViewFrame::onMenuImportFromClipboard);
    connect(m_actExportSelected, &QAction::triggered, this, &WdgTreeViewFrame::onMenuExportToClipboard);
    connect(m_actExportAll, &QAction::triggered, this, &WdgTreeViewFrame::onMenuExportAllToClipboard);
    connect(m_actRemoveSelected, &QAction::triggered, this, &WdgTreeViewFrame::onMenuRemoveFrames);
    connect(m_actRemoveAll, &QAction::triggered, this, &WdgTreeViewFrame::onMenuRemoveAllFrames);
    connect(this, &QWidget::customContextMenuRequested, this,
            &WdgTreeViewFrame::onCustomContextMenuRequested);
}

WdgTreeViewFrame::~WdgTreeViewFrame() = default;

void WdgTreeViewFrame::addFrame(const OrvFrame &frame)
{
    m_frames.append(frame);
    appendRows(frame);
    fitColumns();
}

void WdgTreeViewFrame::appendRows(const OrvFrame &frame)
{
    auto *top = new QStandardItem(frame.toHexString().toUpper());
    OrvParamList elements;
    frame.extractParams(elements, m_bufferFlags, false);
    for (const OrvParam &p : qAsConst(elements)) {
        top->appendRow({new QStandardItem(), new QStandardItem(WdgTreeViewParams::paramText(p.id(), m_names)),
                        new QStandardItem(WdgTreeViewParams::valueText(p))});
    }
    m_model->appendRow({top, new QStandardItem(), new QStandardItem()});
}

void WdgTreeViewFrame::fitColumns()
{
    for (int c = 0; c < kColumnCount; ++c)
        resizeColumnToContents(c);
}

OrvFrameList WdgTreeViewFrame::selectedFrames() const
{
    OrvFrameList out;
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    for (const QModelIndex &i : indexes) {
        if (i.column() != kColFrame || i.parent().isValid())
            continue;
        if (i.row() < m_frames.size())
            out.append(m_frames.at(i.row()));
    }
    return out;
}

void WdgTreeViewFrame::removeFrames(const OrvFrameList &frames)
{
    for (const OrvFrame &f : frames) {
        for (int i = 0; i < m_frames.size(); ++i) {
            if (m_frames.at(i).data() == f.data()) {
                m_frames.removeAt(i);
                break;
            }
        }
    }
    m_model->removeRows(0, m_model->rowCount());
    for (const OrvFrame &f : qAsConst(m_frames))
        appendRows(f);
    fitColumns();
}

void WdgTreeViewFrame::removeAll()
{
    m_frames.clear();
    m_model->removeRows(0, m_model->rowCount());
}

int WdgTreeViewFrame::frameCount() const
{
    return m_model->rowCount();
}

void WdgTreeViewFrame::expandFrames()
{
    expandAll();
    fitColumns();
}

void WdgTreeViewFrame::collapseFrames()
{
    collapseAll();
}

void WdgTreeViewFrame::showImportAction(bool show)
{
    m_actImport->setVisible(show);
}

void WdgTreeViewFrame::showExportActions(bool show)
{
    m_actExportSelected->setVisible(show);
    m_actExportAll->setVisible(show);
}

void WdgTreeViewFrame::onMenuImportFromClipboard()
{
    emit onImportFramesFromClipboard();
}

void WdgTreeViewFrame::onMenuExportToClipboard()
{
    emit onExportSelectedFramesToClipboard();
}

void WdgTreeViewFrame::onMenuExportAllToClipboard()
{
    selectAll();
    emit onExportSelectedFramesToClipboard();
}

void WdgTreeViewFrame::onMenuRemoveFrames()
{
    emit onRemoveSelectedFrames();
}

void WdgTreeViewFrame::onMenuRemoveAllFrames()
{
    emit onRemoveAllFrames();
}

void WdgTreeViewFrame::onCustomContextMenuRequested(const QPoint &pos)
{
    const bool selected = !selectedFrames().isEmpty();
    m_actExportSelected->setEnabled(selected);
    m_actRemoveSelected->setEnabled(selected);
    m_actExportAll->setEnabled(frameCount() > 0);
    OpenWindow::exec(m_menu, viewport()->mapToGlobal(pos));
    m_actExportSelected->setEnabled(true);
    m_actRemoveSelected->setEnabled(true);
    m_actExportAll->setEnabled(true);
}
