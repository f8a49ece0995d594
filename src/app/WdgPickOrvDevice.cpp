#include "app/WdgPickOrvDevice.h"

#include "common/Resources.h"
#include "device/model/Catalog.h"
#include "ui_WdgPickOrvDevice.h"

#include <QPixmap>

#include <algorithm>

namespace {
const QChar kAtLeastSign(0x2265);
}

WdgPickOrvDevice::WdgPickOrvDevice(int orvType, QWidget *parent)
    : QWidget(parent), m_ui(new Ui::WdgPickOrvDevice), m_orvType(orvType)
{
    initCoreResources();
    m_ui->setupUi(this);
    m_ui->label_orvName->setText(QStringLiteral("Pelm-") + Catalog::typeName(orvType));
    m_ui->comboBox_version->setEnabled(false);
}

WdgPickOrvDevice::~WdgPickOrvDevice() = default;

void WdgPickOrvDevice::addVariant(int orvRev, int kivType, const QString &label, const QString &picture)
{
    auto variant = std::find_if(m_variants.begin(), m_variants.end(),
                                [kivType](const Variant &v) { return v.kivType == kivType; });
    if (variant == m_variants.end()) {
        Variant v;
        v.kivType = kivType;
        v.revisions.append(orvRev);
        v.labels.append(label);
        v.pictures.append(picture);
        m_variants.append(v);
    } else {
        if (variant->revisions.contains(orvRev))
            return;
        // Revisions are kept in ascending order, so that each version entry reads as the range
        // up to the next revision whatever order the catalog gives them in.
        const int at = int(std::upper_bound(variant->revisions.cbegin(), variant->revisions.cend(), orvRev) -
                           variant->revisions.cbegin());
        variant->revisions.insert(at, orvRev);
        variant->labels.insert(at, label);
        variant->pictures.insert(at, picture);
    }

    // Adding the first entry selects it, which fills the version selector.
    m_ui->comboBox_technologies->clear();
    for (const Variant &v : qAsConst(m_variants))
        m_ui->comboBox_technologies->addItem(Catalog::technologyText(v.kivType));
}

const WdgPickOrvDevice::Variant *WdgPickOrvDevice::selectedVariant() const
{
    const int index = m_ui->comboBox_technologies->currentIndex();
    return index >= 0 && index < m_variants.size() ? &m_variants.at(index) : nullptr;
}

void WdgPickOrvDevice::on_comboBox_technologies_currentIndexChanged(int index)
{
    Q_UNUSED(index)
    QComboBox *versions = m_ui->comboBox_version;
    versions->clear();
    const Variant *variant = selectedVariant();
    if (variant) {
        // The entries read as ranges: ">= 1.0.0 and < 1.2.0", then ">= 1.2.0".
        const QVector<int> &revs = variant->revisions;
        for (int i = 0; i < revs.size(); ++i) {
            QString text = kAtLeastSign + QLatin1Char(' ') + Catalog::versionText(revs.at(i), true);
            if (i + 1 < revs.size())
                text += tr(" and ") + QStringLiteral("< ") + Catalog::versionText(revs.at(i + 1), true);
            versions->addItem(text);
        }
    }
    versions->setEnabled(versions->count() >= 2);
    versions->setCurrentIndex(versions->count() - 1);
}

void WdgPickOrvDevice::on_comboBox_version_currentIndexChanged(int index)
{
    const Variant *variant = selectedVariant();
    if (!variant || index < 0 || index >= variant->revisions.size())
        return;
    m_ui->label_orvDescription->setText(variant->labels.at(index));
    QPixmap picture(variant->pictures.at(index));
    if (picture.isNull())
        picture.load(QLatin1String(kUnknownPicture));
    m_ui->label_pixmap->setPixmap(
        picture.scaled(kPictureSizePx, kPictureSizePx, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_ui->label_ref->setText(Catalog::fileIdentity(m_orvType));
}

void WdgPickOrvDevice::on_pushButton_OpenOrv_clicked()
{
    const Variant *variant = selectedVariant();
    const int index = m_ui->comboBox_version->currentIndex();
    if (!variant || index < 0 || index >= variant->revisions.size())
        return;
    emit OnOrvPicked(m_orvType, variant->revisions.at(index), variant->kivType);
}
