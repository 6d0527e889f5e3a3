// The setup's own error model: a number and a description, as the runtime of
// the original form raised them.  Platform failures are translated into one of
// these exactly once, where they happen (the simulated machine or the Win32
// edge); the logic only ever catches SetupError.
//
// Ending the program is deliberately NOT an error: it is an exception type of
// its own (ProgramEnded) that no handler in the logic catches, so a guarded
// region can never swallow the end of the program.
#pragma once

#include <cstdint>
#include <string>

namespace ortavia {

// Runtime error numbers the platform layers raise.  Their Italian descriptions
// are those a user of the Italian runtime sees in the number-and-description
// message of the installation run.
namespace err {
inline constexpr std::int32_t kIllegalCall = 5;          // "Chiamata di routine o argomento non validi"
inline constexpr std::int32_t kOverflow = 6;             // "Overflow"
inline constexpr std::int32_t kOutOfMemory = 7;          // "Memoria esaurita"
inline constexpr std::int32_t kSubscript = 9;            // "Indice non compreso nell'intervallo"
inline constexpr std::int32_t kBadFileNameOrNumber = 52; // "Nome o numero di file non valido"
inline constexpr std::int32_t kFileNotFound = 53;        // "File non trovato"
inline constexpr std::int32_t kBadFileMode = 54;         // "Modalità file non valida"
inline constexpr std::int32_t kFileAlreadyOpen = 55;     // "File già aperto"
inline constexpr std::int32_t kDeviceIo = 57;            // "Errore di I/O della periferica"
inline constexpr std::int32_t kFileExists = 58;          // "File già esistente"
inline constexpr std::int32_t kDiskFull = 61;            // "Disco pieno"
inline constexpr std::int32_t kInputPastEnd = 62;        // "Input oltre la fine del file"
inline constexpr std::int32_t kTooManyFiles = 67;        // "Troppi file"
inline constexpr std::int32_t kDeviceUnavailable = 68;   // "Periferica non disponibile"
inline constexpr std::int32_t kPermissionDenied = 70;    // "Autorizzazione negata"
inline constexpr std::int32_t kDiskNotReady = 71;        // "Disco non pronto"
inline constexpr std::int32_t kPathFileAccess = 75;      // "Errore di accesso al percorso/file"
inline constexpr std::int32_t kPathNotFound = 76;        // "Impossibile trovare il percorso"
inline constexpr std::int32_t kDdeNoAnswer = 282;        // no DDE server answered the link
inline constexpr std::int32_t kDdeTimeout = 286;         // DDE execute timed out
inline constexpr std::int32_t kDdeRefused = 285;         // the server refused the command
inline constexpr std::int32_t kDdeNoLink = 293;          // execute without an open link
}  // namespace err

// The Italian runtime description for an error number; a generic text for a
// number the table does not know.
std::string errorDescription(std::int32_t number);

struct SetupError {
    std::int32_t number = 0;
    std::string description;

    SetupError() = default;
    // Description taken from the runtime table.
    explicit SetupError(std::int32_t n) : number(n), description(errorDescription(n)) {}
    SetupError(std::int32_t n, std::string d) : number(n), description(std::move(d)) {}
};

// Thrown by a runtime whose "end the program" has to unwind the stack (the
// headless runtime).  Never derive it from SetupError or std::exception, and
// never catch it in the logic.
struct ProgramEnded {};

}  // namespace ortavia
