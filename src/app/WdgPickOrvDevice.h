#pragma once
// One device type of the offline picker: its product picture and name, a technology selector
// (one entry per radio-module type) and a version selector (one range per revision of the
// chosen technology), and the Open button that hands the chosen combination on.

#include <QScopedPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

namespace Ui {
class WdgPickOrvDevice;
}

class WdgPickOrvDevice : public QWidget
{
    Q_OBJECT
public:
    /// The product picture is fitted into a square of this size.
    static constexpr int kPictureSizePx = 192;
    /// Shown for a variant whose picture cannot be loaded.
    static constexpr char kUnknownPicture[] = ":/orv/imgs/orv_unknow.png";

    /// An entry for device type orvType, without variants yet.
    explicit WdgPickOrvDevice(int orvType, QWidget *parent = nullptr);
    ~WdgPickOrvDevice() override;

    int orvType() const { return m_orvType; }

    /// Adds revision orvRev of module type kivType with its label and picture resource (module
    /// types keep the order first added, revisions ascend). A revision already listed for the
    /// module type changes nothing; otherwise the technology selector is filled again (its
    /// first entry is then selected).
    void addVariant(int orvRev, int kivType, const QString &label, const QString &picture);

signals:
    /// The user opened the chosen combination.
    void OnOrvPicked(int orvType, int orvRev, int kivType);

private slots:
    /// Fills the version selector for the technology at index (its last entry is then selected).
    void on_comboBox_technologies_currentIndexChanged(int index);
    /// Shows the label, picture and reference of the revision at index.
    void on_comboBox_version_currentIndexChanged(int index);
    /// Emits OnOrvPicked with the selected revision and module type.
    void on_pushButton_OpenOrv_clicked();

private:
    /// The revisions of one radio-module type, ascending (no duplicates); labels and pictures
    /// run parallel to the revisions.
    struct Variant
    {
        int kivType = -1;
        QVector<int> revisions;
        QStringList labels;
        QStringList pictures;
    };

    /// The variant of the selected technology; null when none is selected.
    const Variant *selectedVariant() const;

    const QScopedPointer<Ui::WdgPickOrvDevice> m_ui;
    const int m_orvType;
    QVector<Variant> m_variants; ///< in the order first added
};
