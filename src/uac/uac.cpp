// The UAC switch ("EnableLUA"), the state file that remembers this setup
// switched it off, the switch-off sequence run at start-up and the restore
// offered at the end of the installation.
#include <array>

#include "setup/setup1.h"

namespace ortavia {

namespace {

// Each separator is written twice, as the path has always been stored; the
// registry treats a run of backslashes as one separator.
constexpr const char* kUacKey = "SOFTWARE\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Policies\\\\System";
constexpr const char* kUacValue = "EnableLUA";
constexpr std::int32_t kUacOn = 1;
constexpr std::int32_t kUacOff = 0;

constexpr const char* kStateFileName = "Stato_UAC.txt";
constexpr const char* kStateFileContent = "1";
constexpr const char* kLineEnd = "\r\n";

// The restore is only offered where the switch-off could have happened.
constexpr float kUacVersion = 5.1f;  // strictly above, single precision

constexpr int kQuestionStyle = kMbOkCancel + kMbIconQuestion;  // 33

constexpr const char* kSwitchOffQuestion =
    "Nel computer risulta abilitato il 'Controllo Account Utente'. L'installazione del Programma richiede la "
    "preventiva e temporanea disabilitazione del Controllo. Il Setup può eseguire in modo automatico la "
    "disabilitazione. Si desidera procedere?";
constexpr const char* kDeclinedMessage = "Installazione interrotta.";
constexpr const char* kSwitchOffFailedSentence1 =
    "La procedura di disattivazione automatica del Controllo Account Utente non è andata a buon fine.";
constexpr const char* kSwitchOffFailedSentence2 =
    "Lanciare di nuovo il setup con l'opzione 'Esegui come Amministratore', oppure disabilitare manualmente il "
    "Controllo Account Utente.";
constexpr const char* kSwitchOffFailedSentence3 =
    "Gli Utenti possono trovare la procedura passo-passo illustrata all'indirizzo: "
    "www.ortavia-on-line.it/Disabilitare_Controllo_Account_Utente.htm).";
constexpr const char* kRestoreQuestion =
    "L'installazione ha richiesto la temporanea disabilitazione del Controllo Account Utente. Si desidera "
    "ripristinare le condizioni originali del Controllo?";
constexpr const char* kRestoredMessage =
    "Il Controllo Account Utente è stato abilitato e sarà ripristinato automaticamente al prossimo riavvio del "
    "Computer.";
constexpr const char* kRestoreFailedMessage =
    "Non è stato possibile abilitate in modo automatico Il Controllo Account Utente.";
constexpr const char* kRestoreErrorMessage =
    "Errore durante l'abitazione automatica del Controllo Account Utente.";

// Sentences joined by a lone CR, as the message box shows them.
std::string switchOffFailedMessage() {
    return std::string(kSwitchOffFailedSentence1) + "\r\r" + kSwitchOffFailedSentence2 + "\r" +
           kSwitchOffFailedSentence3;
}

}  // namespace

bool Setup1::IsUacEnabled() {
    try {
        // Starts as -1 so a missing value, or one too long for the word, never
        // reads as "on"; a shorter one only overwrites the low bytes.
        std::array<std::uint8_t, 4> word{0xFF, 0xFF, 0xFF, 0xFF};
        std::uint32_t type = kRegNone;
        std::uint32_t size = static_cast<std::uint32_t>(word.size());
        os_.shGetValue(kHkeyLocalMachine, kUacKey, kUacValue, type, word, size);
        const std::uint32_t value = static_cast<std::uint32_t>(word[0]) | (static_cast<std::uint32_t>(word[1]) << 8) |
                                    (static_cast<std::uint32_t>(word[2]) << 16) |
                                    (static_cast<std::uint32_t>(word[3]) << 24);
        return value == static_cast<std::uint32_t>(kUacOn);
    } catch (const SetupError&) {
        return false;
    }
}

bool Setup1::SetRegistryValue(RegKey hKey, const std::string& KeyName, const std::string& ValueName,
                              std::int32_t value) {
    RegKey key = 0;
    // Open only: a missing key means the policy does not apply here, and a
    // user without administrator rights fails right at this open.
    if (os_.regOpenKeyEx(hKey, KeyName, 0, kKeyWrite, key) != kErrorSuccess) return false;
    const auto bits = static_cast<std::uint32_t>(value);
    const std::array<std::uint8_t, 4> data{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                           static_cast<std::uint8_t>(bits >> 16),
                                           static_cast<std::uint8_t>(bits >> 24)};
    const std::int32_t written = os_.regSetValueEx(key, ValueName, kRegDword, data);
    os_.regCloseKey(key);
    return written == kErrorSuccess;
}

namespace {

// The state file lives in Documents; an unresolvable Documents folder leaves
// "\" alone, the root of the current drive.
std::string stateFilePath(Setup1& setup) {
    std::string folder;
    try {
        folder = setup.GetShellFolderPath(kCsidlPersonal);
    } catch (const SetupError&) {
    }
    if (folder.empty() || folder.back() != '\\') folder += "\\";
    return folder + kStateFileName;
}

}  // namespace

void Setup1::WriteUacStateFile(const std::string& Content) {
    // Every step is tried on its own; a state file that cannot be written only
    // costs the later restore offer.
    const std::string path = stateFilePath(*this);
    FileHandle file = 0;
    bool opened = false;
    try {
        file = os_.openFile(path, FileMode::Output);
        opened = true;
    } catch (const SetupError&) {
    }
    try {
        const std::string line = Content + kLineEnd;
        os_.writeFile(file, 0, std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
    } catch (const SetupError&) {
    }
    if (opened) os_.closeFile(file);
}

std::string Setup1::ReadUacStateFile() {
    // Every step is tried on its own.  The binary open creates a missing file,
    // which the delete then takes away again.
    const std::string path = stateFilePath(*this);
    std::string result;
    FileHandle file = 0;
    bool opened = false;
    try {
        file = os_.openFile(path, FileMode::Binary);
        opened = true;
    } catch (const SetupError&) {
    }
    try {
        const std::uint64_t length = os_.fileLength(file);
        const std::vector<std::uint8_t> bytes = os_.readFile(file, 0, static_cast<std::size_t>(length));
        result.assign(bytes.begin(), bytes.end());
    } catch (const SetupError&) {
    }
    if (opened) os_.closeFile(file);
    try {
        os_.deleteFile(path);
    } catch (const SetupError&) {
    }
    return result;
}

void Setup1::UacSwitchOff() {
    if (rt_.messageBox(kSwitchOffQuestion, kQuestionStyle, kSetupTitle) != kIdOk) {
        rt_.messageBox(kDeclinedMessage, kMbIconInformation, kSetupTitle);
        rt_.endProgram();
    }
    const bool written = SetRegistryValue(kHkeyLocalMachine, kUacKey, kUacValue, kUacOff);
    rt_.doEvents();
    // A policy can put the value straight back: believe only what reads back.
    const bool stillOn = IsUacEnabled();
    if (!written || stillOn) {
        rt_.messageBox(switchOffFailedMessage(), kMbIconInformation, kSetupTitle);
        rt_.endProgram();
    }
    WriteUacStateFile(kStateFileContent);
    RestartSequence();
}

void Setup1::OfferUacRestore() {
    if (!(WinVersion > kUacVersion)) return;
    try {
        // Read and deleted before asking: the offer is made once per switch-off.
        const std::string recorded = text::trimBlanks(ReadUacStateFile());
        if (recorded.empty()) return;
        if (rt_.messageBox(kRestoreQuestion, kQuestionStyle, kSetupTitle) != kIdOk) return;
        const bool restored = SetRegistryValue(kHkeyLocalMachine, kUacKey, kUacValue, kUacOn);
        rt_.doEvents();
        rt_.messageBox(restored ? kRestoredMessage : kRestoreFailedMessage, kMbIconInformation, kSetupTitle);
    } catch (const SetupError&) {
        rt_.messageBox(kRestoreErrorMessage, kMbIconInformation, kSetupTitle);
    }
}

}  // namespace ortavia
