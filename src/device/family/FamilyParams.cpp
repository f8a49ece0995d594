#include "device/family/FamilyParams.h"

#include "device/model/Catalog.h"

#include <QCoreApplication>

namespace FamilyParams {

const QVector<Entry> &thermocouple()
{
    static const QVector<Entry> table = {
        {ParamKeepAlive, QT_TRANSLATE_NOOP("OrvThermocouple", "Keep alive"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Can't set keep alive period"), false, false},
        {ParamRadioConfig, QT_TRANSLATE_NOOP("OrvThermocouple", "Radio Conifuration"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Radio Configuration"), true, false},
        {ParamTimestamp, QT_TRANSLATE_NOOP("OrvThermocouple", "Timestamp"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Can't enable or disable Timestamp"), false, false},
        {ParamDataLogging, QT_TRANSLATE_NOOP("OrvThermocouple", "Data logging"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad data logging configuration"), true, false},
        {ParamTemperatureThreshold, QT_TRANSLATE_NOOP("OrvThermocouple", "Tempreature threshold"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad threshold configuration"), true, false},
        {ParamCurrentThreshold, QT_TRANSLATE_NOOP("OrvThermocouple", "Current threshold"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad threshold configuration"), true, false},
        {ParamVBatThreshold, QT_TRANSLATE_NOOP("OrvThermocouple", "VBat threshold"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad threshold configuration"), true, false},
        {ParamTemperatureOffset, QT_TRANSLATE_NOOP("OrvThermocouple", "Temperature Offset"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Temperature offset configuration"), false, false},
        {ParamTemperatureCoef, QT_TRANSLATE_NOOP("OrvThermocouple", "Temperature coefficient"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad calibration coefficient values"), false, false},
        {ParamThresholdCheckPeriod, QT_TRANSLATE_NOOP("OrvThermocouple", "Threshold check period"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad period for threshold check"), false, false},
        {ParamThermocoupleState, QT_TRANSLATE_NOOP("OrvThermocouple", "Thermocouple state"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad thermocouple state"), false, false},
        {ParamBlePeriod, QT_TRANSLATE_NOOP("OrvThermocouple", "Ble period"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Ble period"), false, false},
        {ParamCurrentCoef, QT_TRANSLATE_NOOP("OrvThermocouple", "Current coefficient"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Current coefficient"), false, false},
        {ParamCurrentOffset, QT_TRANSLATE_NOOP("OrvThermocouple", "Current offset"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Current offset"), false, false},
        {ParamSpireResistance, QT_TRANSLATE_NOOP("OrvThermocouple", "Couple Spire/Resistance"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Couple Spire/Resistance"), false, false},
        {ParamSendingInterface, QT_TRANSLATE_NOOP("OrvThermocouple", "Sending Interface"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Sending Interface"), false, false},
        {ParamStop1Duration, QT_TRANSLATE_NOOP("OrvThermocouple", "Stop1 Duration"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad Stop1 duration"), false, false},
        {ParamRadioTechnology, QT_TRANSLATE_NOOP("OrvThermocouple", "Radio technology"),
         QT_TRANSLATE_NOOP("OrvThermocouple", "Bad technology for radio"), false, true},
    };
    return table;
}

void registerThermocouple(ParamTables &tables, int kivType)
{
    for (const Entry &e : thermocouple()) {
        if (e.onlyLoRaWanSigfox && kivType != Catalog::kKivDualA && kivType != Catalog::kKivDualB)
            continue;
        tables.registerParam(e.id, QCoreApplication::translate(kTranslationContext, e.name),
                             QCoreApplication::translate(kTranslationContext, e.error), e.isBuf);
    }
}

ParamTables thermocoupleTables()
{
    ParamTables t;
    registerThermocouple(t, 14);
    return t;
}

} // namespace FamilyParams
