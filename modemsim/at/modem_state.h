#pragma once
// Everything the simulated modem remembers: command settings, message storage and outbox, the
// call, and the faults the controller has switched on. Plain data; ModemModel (below)
// guards the one instance with its lock.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "modemsim/at/boot_profile.h"
#include "modemsim/at/call_profile.h"
#include "modemsim/at/message_profile.h"

#include "modemlink/smscodec/user_data.h"

namespace modemsim {

// A message storage, the SIM's ("SM") or the phone's ("ME"): a number of slots, numbered from 1 or
// from 0 as the module family does (message_profile.h), each empty or holding one received message.

struct StoredSms {
    std::string sender;
    std::string text;       // UTF-8
    std::string timestamp;  // as the modem shows it: "24/05/01,12:30:00+00"
    bool read = false;
    bool ucs2 = false;  // the coding it came in: UCS2, else the GSM alphabet
    // A part of a long message: the text is this part's share of it.
    std::optional<MessagePart> part = std::nullopt;
    bool deleteRefused = false;  // a module that refuses the first AT+CMGD of it has done so
};

class SmsStorage {
public:
    SmsStorage(int first, int size);

    int First() const { return m_first; }
    int Last() const { return m_first + Size() - 1; }
    int Size() const { return static_cast<int>(m_slots.size()); }
    bool IsValidIndex(long index) const { return index >= m_first && index <= Last(); }
    // "1..20"
    std::string Range() const;

    std::optional<int> FirstFree() const;
    int Used() const;
    // Callers check the index first; a bad one is ignored or finds nothing.
    bool IsFree(int index) const;
    void Put(int index, StoredSms sms);
    StoredSms* Find(int index);
    void Erase(int index);
    std::vector<std::pair<int, StoredSms>> Occupied() const;
    // Numbers the slots from first and makes them size, each message keeping its place (the n-th
    // slot stays the n-th, as a SIM's records do under another module). False, and nothing changes,
    // when a message would be left past the end.
    bool Renumber(int first, int size);

private:
    std::size_t Position(int index) const { return static_cast<std::size_t>(index - m_first); }

    int m_first;
    std::vector<std::optional<StoredSms>> m_slots;
};

// A storage as a module of the profile has it, empty.
SmsStorage EmptyStorage(SmsProfile profile, Memory memory);

enum class Charset { kGsm, kIra, kUcs2 };

// Incoming calls ring until answered or ended; an answered or dialled call is active.
enum class CallPhase { kIdle, kRinging, kActive };

struct Call {
    CallPhase phase = CallPhase::kIdle;
    bool outgoing = false;
    std::string number;      // the caller's or the dialled number; empty when withheld
    bool connected = false;  // answered, by the terminal or the other side
    std::chrono::steady_clock::time_point connectedAt;  // for the duration an end reports
    // Advances at every change of call, so a RING tick of an earlier call knows to stop.
    std::uint64_t generation = 0;
};

// The profile that ATZ restores, and the settings that outlive it.
struct Settings {
    bool echo = true;
    bool clip = false;
    bool cring = false;  // AT+CRC=1: a ring is "+CRING: VOICE" instead of RING
    // AT+CVHU: 1 has ATH answer OK and leave a voice call up; 0 and 2 have it end the call. Not
    // in the profile ATZ restores; the call profile's row gives it at power-on.
    int hangUpMode = 0;
    bool textMode = false;  // AT+CMGF: PDU mode until a program asks for text
    Charset charset = Charset::kGsm;
    bool showHeader = false;  // AT+CSDH: the long +CMGR header with <dcs> and <length>
    int errorMode = 0;        // AT+CMEE: +CME ERROR as ERROR (0), as a number (1) or as text (2)
    // AT+CSMP=<fo>,<vp>,<pid>,<dcs>: the coding scheme decides how a text after the prompt is read.
    int submitFo = 17;
    int validity = 167;
    int protocolId = 0;
    int codingScheme = 0;
    int messageService = 0;  // AT+CSMS: 1 has every +CMT wait for AT+CNMA
    int cregMode = 0;
    long baudRate = 115200;
    std::string scaNumber = "+447700900999";  // the SIM's own service centre
    int scaType = 145;
    int registration = 1;    // registered, home network
    int operatorFormat = 0;  // AT+COPS=3,<format>: the operator's long name, short name, number
    int functionality = 1;   // AT+CFUN: 1 full, 0 minimum and 4 flight mode, both off the network
    // AT+CPMS: where messages are read, listed and deleted; written; and stored when they arrive.
    std::array<Memory, 3> memories{};
    // AT+CNMI=<mode>,<mt>,<bm>,<ds>,<bfr>: with <mt> 1 a message stored is announced (+CMTI),
    // with <mt> 2 it goes to the terminal (+CMT) instead of being stored.
    std::array<int, 5> newMessageIndication{};
};

struct Faults {
    bool silent = false;
    bool errorAll = false;
    std::set<std::string> errorCommands;  // command names as the parser gives them: "+CMGS", "D"
    int answerDelayMs = 0;
    std::size_t splitBytes = 0;  // 0: each answer in one write
    int splitGapMs = 0;
    // Each call report written on its own goes out as two writes, cut after this many bytes;
    // 0: whole.
    std::size_t cutReportBytes = 0;
    // The next dial fails at once: its OK and the failure in one write.
    std::optional<DialFailure> nextDialFails;
    std::optional<int> sendError;  // +CMS ERROR code for every message sent
    // A chatty module: "\r\n<line>\r\n" every periodicMs, 0 for never. The generation advances
    // at every change, so a tick of an earlier setting knows to stop.
    std::string periodicLine;
    int periodicMs = 0;
    std::uint64_t periodicGeneration = 0;
};

// The SIM card the controller put in, or none. One that asks for a PIN is locked at every power-on
// until AT+CPIN gives it; kPinTries wrong PINs in a row block it until its PUK, which this modem
// has no way to give. The count of tries left outlives power-on, as it is kept on the card.
inline constexpr int kPinTries = 3;

struct SimCard {
    bool inserted = true;
    std::string pin;  // empty: the SIM asks for none
    int pinTriesLeft = kPinTries;
    bool unlocked = false;  // the PIN was given since power-on
};

// What AT+CPIN? says of it: "READY", "SIM PIN", "SIM PUK"; kAbsent: +CME ERROR: 10.
enum class SimStatus { kReady, kPin, kPuk, kAbsent };

SimStatus StatusOf(const SimCard& sim);
// 4 to 8 digits.
bool IsPinFormat(std::string_view pin);

// The module starting up: after power-on (kBooting) until it has started and read the SIM, and
// after the right PIN (kReadingSim) until it has read what the SIM holds. The generation advances
// at each start, so the end of an earlier one knows it is stale.
enum class StartUpPhase { kNone, kBooting, kReadingSim };

struct StartUp {
    StartUpPhase phase = StartUpPhase::kNone;
    std::uint64_t generation = 0;
};

// The outbox keeps the latest messages only, so a program sending in a loop cannot exhaust memory.
inline constexpr std::size_t kOutboxLimit = 1000;

struct SentSms {
    std::string destination;
    std::string text;  // UTF-8; 8-bit data as the hex of its octets
    int reference = 0;
    bool pdu = false;                 // given as an SMS-SUBMIT in PDU mode
    std::optional<MessagePart> part;  // a part of a long message, as its header says
    std::string centre;               // the service centre it went through
};

// A message whose text the modem is collecting after the "> " prompt.
struct PendingSend {
    std::string destination;
    bool pdu = false;
    std::size_t tpduOctets = 0;  // PDU mode: the length AT+CMGS announced
};

// A message handed to the terminal as +CMT under AT+CSMS=1, until AT+CNMA acknowledges it.
struct Unacknowledged {
    std::uint64_t id = 0;
    StoredSms sms;
    bool again = false;  // the network's second try: it gives up after this one
};

struct ModemState {
    Settings settings;
    // Neither is a setting: ATZ and power-on keep them.
    CallProfile callProfile = CallProfile::kStandard;
    SmsProfile smsProfile = SmsProfile::kStandard;
    SmsStorage storage = EmptyStorage(SmsProfile::kStandard, Memory::kSim);         // "SM"
    SmsStorage phoneStorage = EmptyStorage(SmsProfile::kStandard, Memory::kPhone);  // "ME"
    bool simBusy = false;  // the SIM is still starting up: reading and listing fail once
    // Oldest first; AT+CNMA acknowledges the oldest.
    std::deque<Unacknowledged> unacknowledged;
    std::uint64_t nextDeliveryId = 1;
    std::vector<SentSms> outbox;
    int nextReference = 1;
    int nextPartReference = 1;  // the concatenation reference of the next long message received
    std::optional<PendingSend> pendingSend;
    Call call;
    Faults faults;
    bool emptyReadError = false;  // an empty slot reads as +CMS ERROR: 321 instead of OK
    SimCard sim;
    // How the module comes up (boot_profile.h), and how long it takes: 0 is at once. The
    // controller's, as the profiles above.
    BootProfile bootProfile = BootProfile::kSilent;
    int bootMs = 0;
    StartUp startUp;
    // Counts power-ons: a half-typed line dies with the power (modem_session.h).
    std::uint64_t powerOns = 0;
};

// What ATZ and AT&F bring back; storage, outbox, line speed and call are kept.
void RestoreProfile(Settings& settings);

// Ends any call and makes a pending RING tick of it stale.
void EndCall(Call& call);
void Connect(Call& call);
// Whole seconds since the call connected; 0 for one that never did.
long long CallSeconds(const Call& call);

// What a modem brings back when it comes back on the bus after losing power: every setting at
// its default (those the SMS profile decides at its row's), no call, no half-typed message, a
// SIM that may be busy a while and asks for its PIN again. What the SIM and the network hold
// stays: the stored messages, the service centre, the registration, the PIN tries left, the
// messages waiting for AT+CNMA; so do the outbox (the network's record) and the faults and
// profiles (the controller's, not the modem's). Starting up is the simulator's (start_up.h).
void PowerOn(ModemState& state);

// Another module family's habits: the storages numbered and sized as its row says (each message
// kept in its place), and what the row decides at power-on (AT+CPMS, AT+CNMI, AT+CSMP's scheme,
// a busy SIM) taken at once; other settings stay. False, and nothing changes, when a message
// would find no slot.
bool UseSmsProfile(ModemState& state, SmsProfile profile);

SmsStorage& StorageOf(ModemState& state, Memory memory);
const SmsStorage& StorageOf(const ModemState& state, Memory memory);
// Where AT+CPMS has the modem store the messages that arrive (<mem3>).
SmsStorage& ReceivingStorage(ModemState& state);

// Registration as the network sees it: none while AT+CFUN has the radio off.
int EffectiveRegistration(const Settings& settings);

// The message reference of the next message sent: 0..255, then round again.
int TakeReference(ModemState& state);

// The one ModemState of a simulator and the lock that guards it.
//
// Thread contract: the pty reader thread (commands from the terminal), the timer thread (RING
// ticks, periodic lines, messages arriving over time) and controller callers (tests, the console)
// all reach the state only through With, which holds the lock for the whole function. Work inside
// must not block: it may schedule output (Transmitter::Send only queues) but never waits for the
// pty or for another thread. Lock order: the simulator's plugging lock, this lock, then the
// transmitter's or the plug's, then the timer queue's; the trace lock is innermost.

class ModemModel {
public:
    template <typename Function>
    auto With(Function&& function) {
        std::lock_guard<std::mutex> lock(m_lock);
        return std::forward<Function>(function)(m_state);
    }

private:
    std::mutex m_lock;
    ModemState m_state;
};

}  // namespace modemsim
