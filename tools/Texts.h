#pragma once
// Every Slovak text of the service, as windows-1250 bytes. Texts reach the
// printer, the log and the application exactly as stored here; nothing in the
// system carries UTF-8. tests/tools/Texts_test.cpp checks each one against
// its UTF-8 form converted with iconv.

namespace kestrel::text {

inline constexpr const char kTextClosed[] = "Zatvoren\xE9";          // device not opened (101)
inline constexpr const char kTextNotClaimed[] = "Odpojen\xE9";       // device not claimed or port not opened (103)
inline constexpr const char kTextDisabled[] = "Vypnut\xE9";          // device not enabled (105)
inline constexpr const char kTextWrongState[] = "Neplatn\xFD stav";  // printer not in the required state (207)
inline constexpr const char kTextBadValue[] =
    "Neplatn\xE1 hodnota";  // value out of range (214 for amounts, 106 in DirectIO)
inline constexpr const char kTextBadClaimTimeout[] =
    "Neplatn\xE2 hodnota";  // negative claim time-out (106); spelt so on purpose
inline constexpr const char kTextBadLine[] = "Neplatn\xFD riadok";             // header line number out of range
inline constexpr const char kTextBadVat[] = "Neplatn\xE1 DPH";                 // VAT id out of range
inline constexpr const char kTextNotSupported[] = "Nepodporovan\xE9";          // method or property not supported
inline constexpr const char kTextBadCommand[] = "Neplatn\xFD pr\xEDkaz";       // DirectIO command not handled
inline constexpr const char kTextNoReply[] = "Tla\xE8iare\xF2 neodpoved\xE1";  // the printer does not answer
inline constexpr const char kTextInvalidReply[] = "Neplatn\xE1 odpove\xEF";    // invalid answer
inline constexpr const char kTextLongRequestFailed[] =
    "Chyba pri dlhotrvaj\xFA"
    "cej po\x9Eiadavke";                                                                     // reply 11
inline constexpr const char kTextBusy[] = "Zanepr\xE1zdnen\xFD";                             // reply 12
inline constexpr const char kTextBadSequence[] = "Neplatn\xE9 sekven\xE8n\xE9 \xE8\xEDslo";  // reply 31
inline constexpr const char kTextBadRequest[] = "Neplatn\xE1 po\x9Eiadavka";                 // reply 32
inline constexpr const char kTextBadDataPart[] =
    "Neplatn\xE1 d\xE1tov\xE1 \xE8"
    "as\x9D";                                                                    // reply 33
inline constexpr const char kTextBadCrc[] = "Nespr\xE1vne CRC";                  // reply 34
inline constexpr const char kTextUnknownRequest[] = "Nezn\xE1ma po\x9Eiadavka";  // reply 35
inline constexpr const char kTextUnknownStatus[] =
    "Nezn\xE1my stavov\xFD k\xF3"
    "d";                                                                                    // reply 36
inline constexpr const char kTextDayClosureRequired[] = "Vykonajte denn\xFA uz\xE1vierku";  // reply 41
inline constexpr const char kTextCloseDocument[] = "Uzavrite doklad";                       // reply 42
inline constexpr const char kTextAmountDue[] =
    "Ch\xFD"
    "ba \xE8iastka k \xFAhrade";                                                         // reply 43
inline constexpr const char kTextOutOfRange[] = "Hodnota mimo rozsah";                   // reply 44
inline constexpr const char kTextNoDocument[] = "Doklad nebol otvoren\xFD";              // reply 45
inline constexpr const char kTextRegisterNotOpened[] = "Pokladnica nebola otvoren\xE1";  // reply 46
inline constexpr const char kTextClosureDone[] = "Uz\xE1vierka u\x9E vykonan\xE1";       // reply 47
inline constexpr const char kTextBadOperation[] =
    "Neplatn\xE1 oper\xE1"
    "cia";                                                                                      // reply 48
inline constexpr const char kTextPrinterError[] = "Chyba tla\xE8iarne";                         // reply 51
inline constexpr const char kTextPrinterDisconnected[] = "Tla\xE8iare\xF2 odpojen\xE1";         // reply 52
inline constexpr const char kTextDisplayDisconnected[] = "Displej odpojen\xFD";                 // reply 53
inline constexpr const char kTextFiscalMemoryFull[] = "Fi\x9Ak\xE1lna pam\xE4\x9D je pln\xE1";  // reply 61
inline constexpr const char kTextDownloadJournal[] = "Stiahnite \x9Eurn\xE1l";                  // replies 62 and 69
inline constexpr const char kTextJournalFull[] = "\x8Eurn\xE1l je pln\xFD";                     // reply 63
inline constexpr const char kTextServiceOverflow[] =
    "Preplnenie servisn\xFD"
    "ch udalost\xED";  // reply 64
inline constexpr const char kTextCallService[] =
    "Volajte servisn\xFA organiz\xE1"
    "ciu";  // reply 65
inline constexpr const char kTextFiscalMemoryNearlyFull[] =
    "Fi\x9Ak\xE1lna pam\xE4\x9D sa onedlho zapln\xED";                                                // reply 66
inline constexpr const char kTextReadOnly[] = "Re\x9Eim len na \xE8\xEDtanie";                        // reply 67
inline constexpr const char kTextForeignMemory[] = "Pripojen\xE1 cudzia fi\x9Ak\xE1lna pam\xE4\x9D";  // reply 68
inline constexpr const char kTextBadTime[] =
    "Neplatn\xFD \xE8"
    "as";  // reply 70
inline constexpr const char kTextCancelNotAllowed[] =
    "Zru\x9A"
    "enie nepovolen\xE9";  // reply 71
inline constexpr const char kTextDiscountNotAllowed[] =
    "Z\xBE"
    "ava nepovolen\xE1";                                               // reply 72
inline constexpr const char kTextUnknownError[] = "Nezn\xE1ma chyba";  // any other reply
inline constexpr const char kTextJournalDownloadFailed[] =
    "Chyba pri s\x9D"
    "ahovan\xED \x9Eurn\xE1lu";  // journal rejected by the printer
inline constexpr const char kTextJournalSaveFailed[] =
    "Chyba pri ukladan\xED \x9Eurn\xE1lu";  // journal could not be saved
inline constexpr const char kTextUndefined[] = "Nedefinovan\xE9";
inline constexpr const char kTextGreeting[] = "Dobr\xFD de\xF2";  // greeting on the customer display
inline constexpr const char kTextInvoice[] = "Fakt\xFAra";
inline constexpr const char kTextInvoiceNumber[] = "Fakt\xFAra \xE8.%s";   // invoice caption
inline constexpr const char kTextCreditNoteNumber[] = "Dobropis \xE8.%s";  // credit note caption
inline constexpr const char kTextToPay[] = "DOPLATI\x8D EUR";              // display: amount still due
inline constexpr const char kTextToReturn[] = "VR\xC1TI\x8D EUR";          // display: change
inline constexpr const char kTextCashIn[] = "Pr\xEDjem hotovosti EUR";
inline constexpr const char kTextCashOut[] =
    "V\xFD"
    "daj hotovosti EUR";
inline constexpr const char kTextCashInDrawer[] = "Pr\xEDjem hotovosti do z\xE1suvky";
inline constexpr const char kTextCashOutDrawer[] =
    "V\xFD"
    "daj hotovosti zo z\xE1suvky";
inline constexpr const char kTextBlockNumber[] = "\xE8.bloku: ";

}  // namespace kestrel::text
