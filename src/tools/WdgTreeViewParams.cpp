#include "tools/WdgTreeViewParams.h"

#include "common/Hex.h"
#include "gui/OpenWindow.h"

#include <QAction>
#include <QMenu>
#include <QStandardItemModel>

namespace {
enum Column
{
    kColParam = 0,
    kColValue = 1,
    kColumnCount
};
} // namespace

WdgTreeViewParams::WdgTreeViewParams(QWidget *parent)
    : QTreeView(parent), m_model(new QStandardItemModel(0, kColumnCount, this)), m_menu(new QMenu(this))
{
    m_model->setHorizontalHeaderLabels({tr("Parameters"), tr("Value")});
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    setRootIsDecorated(false);
    setContextMenuPolicy(Qt::CustomContextMenu);

    const QIcon add(QStringLiteral(":/MainWindow/img/add.png"));
    m_actAddSelected = new QAction(add, tr("Add selected parameters to frames"), this);
    m_actAddAll = new QAction(add, tr("Add all parameters to frames"), this);
    m_menu->addAction(m_actAddSelected);
    m_menu->addAction(m_actAddAll);
    addAction(m_actAddSelected);

    connect(m_actAddSelected, &QAction::triggered, this, &WdgTreeViewParams::onMenuSelectedParamsToFrames);
    connect(m_actAddAll, &QAction::triggered, this, &WdgTreeViewParams::onMenuAllParamsToFrames);
    connect(this, &QWidget::customContextMenuRequested, this,
            &WdgTreeViewParams::onCustomContextMenuRequested);
}

WdgTreeViewParams::~WdgTreeViewParams() = default;

QString WdgTreeViewParams::valueText(const OrvParam &p)
{
    const QString hex = Hex::upper(p.data());
    if (!p.isBuf())
        return hex;
    return QStringLiteral("[%1] %2").arg(p.index()).arg(hex);
}

QString WdgTreeViewParams::paramText(quint8 id, const QMap<quint8, QString> &names)
{
    QString text = QString::number(id);
    if (names.contains(id))
        text += QStringLiteral(" - ") + names.value(id);
    return text;
}

void WdgTreeViewParams::setParams(const OrvParamList &params)
{
    m_params = params;
    refill();
}

OrvParamList WdgTreeViewParams::selectedParams() const
{
    OrvParamList out;
    const QModelIndexList rows = selectionModel()->selectedRows(kColParam);
    for (const QModelIndex &row : rows) {
        if (row.row() < m_params.size())
            out.append(m_params.at(row.row()));
    }
    return out;
}

void WdgTreeViewParams::removeParams(const OrvParamList &params)
{
    // Equal records, not only equal ids: two chunks of one buffer may be shown side by side.
    for (const OrvParam &p : params) {
        const int at = m_params.indexOf(p);
        if (at >= 0)
            m_params.remove(at);
    }
    refill();
}

void WdgTreeViewParams::refill()
{
    m_model->removeRows(0, m_model->rowCount());
    for (const OrvParam &p : qAsConst(m_params)) {
        auto *param = new QStandardItem(paramText(p.id(), m_names));
        auto *value = new QStandardItem(valueText(p));
        m_model->appendRow({param, value});
    }
    for (int c = 0; c < kColumnCount; ++c)
        resizeColumnToContents(c);
}

void WdgTreeViewParams::onMenuSelectedParamsToFrames()
{
    emit onSelectedParamsToFrames();
}

void WdgTreeViewParams::onMenuAllParamsToFrames()
{
    selectAll();
    emit onSelectedParamsToFrames();
}

void WdgTreeViewParams::onCustomContextMenuRequested(const QPoint &pos)
{
    m_actAddSelected->setEnabled(indexAt(pos).isValid());
    m_actAddAll->setEnabled(!m_params.isEmpty());
    OpenWindow::exec(m_menu, viewport()->mapToGlobal(pos));
    m_actAddSelected->setEnabled(true);
    m_actAddAll->setEnabled(true);
}
