// Factories of the desktop program's device objects: the shared probe rules of
// DeviceFactory, with the family page as the object created for an accepted device.

#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "device/family/FamilyParams.h"
#include "editors/OrvObject.h"
#include "editors/OrvThermocouple.h"
#include "links/Comm.h"

namespace OrvFactory {

namespace {
constexpr int kThermocoupleType = 28;
constexpr int kThermocoupleKivType = 14;
} // namespace

OrvObject *createPage(Comm *transport, const DeviceInfo &info, QWidget *parent)
{
    // The thermocouple family's page registers the family's parameters itself.
    if (info.orvType == kThermocoupleType && info.kivType == kThermocoupleKivType) {
        if (transport)
            return new OrvThermocouple(transport, info, parent);
        return new OrvThermocouple(info.orvType, info.orvRev, info.kivType, parent);
    }
    // The catalog accepts no other family; should it ever, the base object with the family's
    // tables stands in until that family has a page.
    OrvObject *page = transport ? new OrvObject(transport, info, parent)
                                : new OrvObject(info.orvType, info.orvRev, info.kivType, parent);
    FamilyParams::registerThermocouple(page->tables(), info.kivType);
    return page;
}

namespace {
SessionCreator creatorFor(QWidget *parent)
{
    return [parent](std::unique_ptr<Comm> transport, const DeviceInfo &info) -> DeviceSession * {
        return createPage(transport.release(), info, parent);
    };
}
} // namespace

OrvObject *connectUsb(QWidget *parent, bool *failed)
{
    return dynamic_cast<OrvObject *>(DeviceFactory::connectUsb(failed, parent, creatorFor(nullptr)));
}

OrvObject *connectBle(const QString &address, QWidget *parent)
{
    return dynamic_cast<OrvObject *>(DeviceFactory::connectBle(address, parent, creatorFor(nullptr)));
}

OrvObject *createOffline(QWidget *parent, int orvType, int orvRev, int kivType)
{
    Q_UNUSED(parent)
    return dynamic_cast<OrvObject *>(
        DeviceFactory::createOffline(orvType, orvRev, kivType, creatorFor(nullptr)));
}

} // namespace OrvFactory
