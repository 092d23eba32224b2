#include "config/ProfileValues.h"

namespace kestrel {
namespace {

constexpr ProfileValueInfo kValues[] = {
    {"Port", nullptr, "a COM port name, at most 29 characters (\\\\.\\COM10 and up for numbers above 9)",
     "Serial port of the printer. Without it the device cannot be claimed."},
    {"Baudrate", "115200", "a line speed of the port: 9600, 19200, 38400, 57600 or 115200",
     "Line speed in baud; the line is 8 data bits, no parity, 1 stop bit."},
    {"DataDirectory", nullptr, "a directory path, at most 300 characters",
     "Journal files and the daily log. One missing level is created. Without it nothing is logged and the "
     "journal cannot be kept."},
    {"LogEnabled", "1", "a whole number", "0 switches the daily log off; any other number keeps it on."},
    {"LogDays", "60", "1 to 365; any other number means 200", "Log files older than this many days are deleted."},
    {"LogDebug", "1", "a whole number", "1 also logs every byte sent to and received from the printer."},
    {"FreezeEvents", "1", "1, or anything else for no",
     "1: status update events stay frozen after OpenService until the application clears FreezeEvents."},
    {"CheckStateDisabled", "0", "1, or anything else for no",
     "1: methods do not check the printer's state before they send a command."},
    {"DisplayItemDisabled", "0", "1, or anything else for no",
     "1: the items of a receipt are not shown on the customer display (DirectIO 144 switches it at run time)."},
    {"LineDisplayRows", "2", "a whole number, taken as it is",
     "Rows of 20 characters on the customer display (DeviceRows and Rows)."},
    {"SingleCashReceipt", "1", "1, or anything else for no",
     "1: cash-in and cash-out are printed as a single receipt; BeginFiscalReceipt opens no ticket for them."},
    {"V7Protocol", "0", "1, or anything else for no",
     "1: the firmware version is not asked for; version 2-7 and the older protocol variants are assumed."},
};

}  // namespace

const ProfileValueInfo* ProfileValueTable(std::size_t* count) {
  *count = sizeof kValues / sizeof kValues[0];
  return kValues;
}

}  // namespace kestrel
