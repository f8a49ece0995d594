#pragma once
// The parameters of the thermocouple family (device type 28): ids, display names,
// failure messages and buffer flags, in registration order. The device page registers
// from this table; the command line and the tests use it without widgets.

#include "device/model/OrvParam.h"

namespace FamilyParams {

/// Translation context of the parameter names and failure messages.
constexpr char kTranslationContext[] = "OrvThermocouple";

/// Parameter ids of the family.
enum ParamId : quint8
{
    ParamKeepAlive = 3,
    ParamRadioConfig = 4,
    ParamRadioTechnology = 5,
    ParamAppEui = 6,
    ParamAppKey = 7,
    ParamTimestamp = 11,
    ParamDataLogging = 20,
    ParamTemperatureThreshold = 22,
    ParamCurrentThreshold = 23,
    ParamTemperatureOffset = 24,
    ParamTemperatureCoef = 25,
    ParamVBatThreshold = 26,
    ParamThresholdCheckPeriod = 27,
    ParamBlePeriod = 28,
    ParamCurrentCoef = 29,
    ParamCurrentOffset = 30,
    ParamSpireResistance = 31,
    ParamStop1Duration = 32,
    ParamThermocoupleState = 58,
    ParamSendingInterface = 59,
};

struct Entry
{
    quint8 id;
    const char *name;  ///< display name and configuration-file key (translation context "OrvThermocouple")
    const char *error; ///< failure message of the apply report
    bool isBuf;
    bool onlyLoRaWanSigfox; ///< registered only for radio-module types 13 and 14
};

/// The table, in registration order.
const QVector<Entry> &thermocouple();

/// Fills the tables of a device of the family with radio-module type kivType (translated texts).
void registerThermocouple(ParamTables &tables, int kivType);

/// Tables for the family as a device of type 28 with module 14 has them.
ParamTables thermocoupleTables();

} // namespace FamilyParams
