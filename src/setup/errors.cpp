#include "setup/errors.h"

#include <array>
#include <utility>

namespace ortavia {

std::string errorDescription(std::int32_t number) {
    static constexpr std::array<std::pair<std::int32_t, const char*>, 22> kTable{{
        {err::kIllegalCall, "Chiamata di routine o argomento non validi"},
        {err::kOverflow, "Overflow"},
        {err::kOutOfMemory, "Memoria esaurita"},
        {err::kSubscript, "Indice non compreso nell'intervallo"},
        {err::kBadFileNameOrNumber, "Nome o numero di file non valido"},
        {err::kFileNotFound, "File non trovato"},
        {err::kBadFileMode, "Modalità file non valida"},
        {err::kFileAlreadyOpen, "File già aperto"},
        {err::kDeviceIo, "Errore di I/O della periferica"},
        {err::kFileExists, "File già esistente"},
        {err::kDiskFull, "Disco pieno"},
        {err::kInputPastEnd, "Input oltre la fine del file"},
        {err::kTooManyFiles, "Troppi file"},
        {err::kDeviceUnavailable, "Periferica non disponibile"},
        {err::kPermissionDenied, "Autorizzazione negata"},
        {err::kDiskNotReady, "Disco non pronto"},
        {err::kPathFileAccess, "Errore di accesso al percorso/file"},
        {err::kPathNotFound, "Impossibile trovare il percorso"},
        {err::kDdeNoAnswer, "Nessuna applicazione esterna ha risposto alla richiesta di avvio di una conversazione DDE"},
        {err::kDdeRefused, "L'applicazione esterna ha rifiutato di eseguire il comando DDE"},
        {err::kDdeTimeout, "Timeout durante l'attesa della risposta DDE"},
        {err::kDdeNoLink, "Conversazione DDE non aperta"},
    }};
    for (const auto& [n, text] : kTable) {
        if (n == number) return text;
    }
    return "Errore definito dall'applicazione o dall'oggetto";
}

}  // namespace ortavia
