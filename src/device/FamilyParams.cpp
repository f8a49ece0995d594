#include "device/FamilyParams.h"

#include <QCoreApplication>

namespace FamilyParams {

const QVector<Entry> &thermocouple()
{
    static const QVector<Entry> table = {
        {3, QT_TRANSLATE_NOOP("OrvThermocouple", "Keep alive"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Can't set keep alive period"), false, false},
        {4, QT_TRANSLATE_NOOP("OrvThermocouple", "Radio Conifuration"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Radio Configuration"), true, false},
        {11, QT_TRANSLATE_NOOP("OrvThermocouple", "Timestamp"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Can't enable or disable Timestamp"), false, false},
        {20, QT_TRANSLATE_NOOP("OrvThermocouple", "Data logging"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad data logging configuration"), true, false},
        {22, QT_TRANSLATE_NOOP("OrvThermocouple", "Tempreature threshold"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad threshold configuration"), true, false},
        {23, QT_TRANSLATE_NOOP("OrvThermocouple", "Current threshold"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad threshold configuration"), true, false},
        {26, QT_TRANSLATE_NOOP("OrvThermocouple", "VBat threshold"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad threshold configuration"), true, false},
        {24, QT_TRANSLATE_NOOP("OrvThermocouple", "Temperature Offset"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Temperature offset configuration"), false, false},
        {25, QT_TRANSLATE_NOOP("OrvThermocouple", "Temperature coefficient"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad calibration coefficient values"), false, false},
        {27, QT_TRANSLATE_NOOP("OrvThermocouple", "Threshold check period"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad period for threshold check"), false, false},
        {58, QT_TRANSLATE_NOOP("OrvThermocouple", "Thermocouple state"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad thermocouple state"), false, false},
        {28, QT_TRANSLATE_NOOP("OrvThermocouple", "Ble period"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Ble period"), false, false},
        {29, QT_TRANSLATE_NOOP("OrvThermocouple", "Current coefficient"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Current coefficient"), false, false},
        {30, QT_TRANSLATE_NOOP("OrvThermocouple", "Current offset"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Current offset"), false, false},
        {31, QT_TRANSLATE_NOOP("OrvThermocouple", "Couple Spire/Resistance"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Couple Spire/Resistance"), false, false},
        {59, QT_TRANSLATE_NOOP("OrvThermocouple", "Sending Interface"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Sending Interface"), false, false},
        {32, QT_TRANSLATE_NOOP("OrvThermocouple", "Stop1 Duration"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Stop1 duration"), false, false},
        {5, QT_TRANSLATE_NOOP("OrvThermocouple", "Radio technology"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad technology for radio"), false, true},
    };
    return table;
}

void registerThermocouple(ParamTables &tables, int kivType)
{
    for (const Entry &e : thermocouple()) {
        if (e.onlyLoRaWanSigfox && kivType != 13 && kivType != 14)
            continue;
        tables.registerParam(e.id, QCoreApplication::translate("OrvThermocouple", e.name),
                             QCoreApplication::translate("OrvThermocouple", e.error), e.isBuf);
    }
}

ParamTables thermocoupleTables()
{
    ParamTables t;
    registerThermocouple(t, 14);
    return t;
}

} // namespace FamilyParams
