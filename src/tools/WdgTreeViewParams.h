#pragma once
// The parameters of the frames builder that are not (yet) in a frame: one row per record,
// its id and name, and its value (a buffer chunk shows its index).

#include "device/model/OrvParam.h"

#include <QTreeView>

class QAction;
class QMenu;
class QStandardItemModel;

class WdgTreeViewParams : public QTreeView
{
    Q_OBJECT
public:
    explicit WdgTreeViewParams(QWidget *parent = nullptr);
    ~WdgTreeViewParams() override;

    /// The display names of the parameter ids.
    void setNames(const QMap<quint8, QString> &names) { m_names = names; }

    /// Shows params (replacing what was shown).
    void setParams(const OrvParamList &params);
    /// The records shown, in row order.
    OrvParamList params() const { return m_params; }
    /// The record of each selected row, in selection order.
    OrvParamList selectedParams() const;
    /// Removes, for each given record, the first equal record shown, then shows the rest.
    void removeParams(const OrvParamList &params);

    QAction *addSelectedAction() const { return m_actAddSelected; }
    QAction *addAllAction() const { return m_actAddAll; }

    /// "[index] HEX" for a buffer chunk, "HEX" for an ordinary value.
    static QString valueText(const OrvParam &p);
    /// "id" or "id - name" when the name is known.
    static QString paramText(quint8 id, const QMap<quint8, QString> &names);

signals:
    /// The user asked to move the selected parameters into frames.
    void onSelectedParamsToFrames();

public slots:
    void onMenuSelectedParamsToFrames();
    /// Selects every row, then asks to move them into frames.
    void onMenuAllParamsToFrames();
    void onCustomContextMenuRequested(const QPoint &pos);

private:
    void refill();

    QStandardItemModel *m_model;
    OrvParamList m_params;
    QMap<quint8, QString> m_names;
    QMenu *m_menu;
    QAction *m_actAddSelected;
    QAction *m_actAddAll;
};
