#pragma once
// The faults the simulated device can show (set by tests, or the command line, with
// SimDevice::setFault).

/// A fault the simulated device shows until it is cleared.
struct SimFault
{
    enum Kind
    {
        None,
        Unplugged,           ///< the device is gone: no answers, isPlugged() turns false
        Silent,              ///< plugged, but never answers
        WrongLinkCode,       ///< answers carry the other transport's link code
        NotAcknowledged,     ///< command-5 requests are answered with status 255
        DeviceError,         ///< command-5 requests are answered with kind 8 and code arg
        TruncatedElement,    ///< the configuration answer (action 4) ends inside an element
        CorruptedElement,    ///< the configuration answer carries an element of unknown id arg (0: 63)
        GarbledAnswer,       ///< command-5 answers begin with a kind byte no host knows
        EmptyAcknowledge,    ///< command-5 requests are answered with kind 6 and no data
        OversizedAnswer,     ///< answer headers announce 1025 payload bytes
        DropAfterPackets,    ///< each answer is cut after arg packets; the rest never comes
        UnplugAfterRequests, ///< arg more requests are answered, then the device is unplugged
        UnplugAfterPackets,  ///< arg more answer packets go out, then the device is unplugged
        StoresOtherValue,    ///< writes are acknowledged, but parameter arg (0: the first one
                             ///< written that is not a key) is stored with its last bit flipped
    };

    SimFault(Kind k = None, int a = 0) : kind(k), arg(a) {}
    static SimFault deviceError(int code) { return SimFault(DeviceError, code); }
    static SimFault dropAfterPackets(int n) { return SimFault(DropAfterPackets, n); }
    static SimFault unplugAfterRequests(int n) { return SimFault(UnplugAfterRequests, n); }
    static SimFault unplugAfterPackets(int n) { return SimFault(UnplugAfterPackets, n); }
    static SimFault storesOtherValue(int id = 0) { return SimFault(StoresOtherValue, id); }
    /// Limits the fault to requests of one command.
    SimFault onCommand(int c) const
    {
        SimFault f = *this;
        f.command = c;
        return f;
    }
    /// Limits the fault to command-5 requests of one action (0: parameter writes).
    SimFault onAction(int a) const
    {
        SimFault f = *this;
        f.command = 5;
        f.action = a;
        return f;
    }

    Kind kind = None;
    int arg = 0;
    int command = -1; ///< only requests of this command; -1: every command
    int action = -1;  ///< only command-5 requests of this action; 0: parameter writes; -1: all
};
