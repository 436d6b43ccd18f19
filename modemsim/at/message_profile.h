#pragma once
// How modules of the common families file and hand over SMS, one row a habit:
//   standard      slots 1..20 in "SM" and "ME"; AT+CPMS "SM","SM","SM"; AT+CNMI 0,0,0,0,0
//   zero-based    slots 0..19: +CMTI: "SM",0 for the first, AT+CMGR=20 +CMS ERROR: 321
//   arrive-me     reads "SM", files arrivals in "ME" (25 slots), both from 0:
//                   +CPMS: "SM",0,20,"SM",0,20,"ME",1,25   +CMTI: "ME",0
//   read-me       reads "ME" (25 slots), files arrivals in "SM":
//                   +CPMS: "ME",0,25,"ME",0,25,"SM",0,20
//   routed        AT+CNMI 2,2,0,0,0 from power-on and fixed (AT+CNMI=... +CMS ERROR: 303): each
//                 message arrives as +CMT and is never stored
//   no-indications  AT+CNMI 0,0,0,0,0 and fixed: stores each message and never announces it
//   sim-busy      the first AT+CMGR or AT+CMGL after power-on: +CMS ERROR: 314 (SIM busy)
//   delete-twice  the first AT+CMGD of each message: +CMS ERROR: 500; the next deletes it
//   late-prompt   AT+CMGS's "> " only 3000 ms later, the text already being taken
//   dcs-ucs2      AT+CSMP 17,167,0,8 from power-on: GSM text after the prompt is no UCS2 hex
// The code asks the row's columns, never its name.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

enum class Memory { kSim, kPhone };  // "SM", "ME"

enum class SmsProfile {
    kStandard,
    kZeroBased,
    kArriveInPhone,
    kReadFromPhone,
    kRouted,
    kNoIndications,
    kSimBusy,
    kDeleteTwice,
    kLatePrompt,
    kUcs2Scheme,
};

struct MessageHabits {
    const char* name;
    int firstIndex;  // the number of a storage's first slot, 1 or 0
    int simSlots;
    int phoneSlots;
    // At power-on: AT+CPMS's <mem1>,<mem2>,<mem3>, AT+CNMI's five values, AT+CSMP's <dcs>.
    std::array<Memory, 3> memories;
    std::array<int, 5> indications;
    int codingScheme;
    bool indicationsFixed;   // any AT+CNMI=... is refused with +CMS ERROR: 303
    bool simBusyAtPowerOn;   // until the first AT+CMGR or AT+CMGL, answered +CMS ERROR: 314
    bool deleteRefusedOnce;  // per message: +CMS ERROR: 500 to its first AT+CMGD
    int promptDelayMs;       // from AT+CMGS to its "> "
};

const MessageHabits& HabitsOf(SmsProfile profile);
std::optional<SmsProfile> SmsProfileNamed(std::string_view name);
// "standard|zero-based|..."
std::string SmsProfileNames();

}  // namespace modemsim
