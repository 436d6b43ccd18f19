#pragma once
// How modules of the common families come up after power-on, one row a family: what they print
// the moment power comes, what once they have started and read the SIM, and how they refuse the
// commands that need a started module meanwhile:
//   simcom      RDY ... +CFUN: 1 / +CPIN: READY / Call Ready / SMS Ready     ERROR
//   simcom-a76  *ATREADY: 1 ... +CPIN: READY / SMS DONE / PB DONE             ERROR
//   quectel     RDY ... +CPIN: READY                                          ERROR
//   huawei      (nothing)                                                     +CME ERROR: 14
//   silent      (nothing)                                                     ERROR
// With a SIM that asks for its PIN the "+CPIN:" line says so ("+CPIN: SIM PIN", "+CPIN: NOT
// INSERTED" without one) and the lines after it wait for the right PIN.
// The code asks the row's columns, never its name.

#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

enum class BootProfile { kSilent, kSimcom, kSimcomA76, kQuectel, kHuawei };

// Each text is its lines, '\n' between them; empty: nothing is said.
struct BootHabits {
    const char* name;
    const char* powerOn;  // at once when power comes
    const char* started;  // once started, ahead of the SIM's line
    bool reportsSim;      // "+CPIN: <code>" once started, and "+CPIN: READY" after the right PIN
    const char* ready;    // once the SIM is ready: the module takes messages and calls
    int busyError;        // the +CME ERROR while starting up; 0: plain ERROR
};

const BootHabits& BootOf(BootProfile profile);
std::optional<BootProfile> BootProfileNamed(std::string_view name);
// "silent|simcom|..."
std::string BootProfileNames();

}  // namespace modemsim
