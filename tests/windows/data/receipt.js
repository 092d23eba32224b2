// A small receipt from JScript through the registered server, run by
// cscript. cscript ends with status 0 even when a script throws, so the
// outcome is the last line: "KESTREL-JSCRIPT: OK" or "KESTREL-JSCRIPT: FAILED ...".
var failures = [];
function expect(what, got, wanted) {
  if (got !== wanted) failures.push(what + " gave " + got + ", expected " + wanted);
}
try {
  var device = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "ZB_Tarnel.COM";
  var events = [];
  // The Control Object's stand-in: a script object answers SOStatusUpdate.
  var controlObject = { SOStatusUpdate: function (status) { events.push(status); } };
  var printer = new ActiveXObject("ZB_KSTR.FiscalPrinter");
  expect("OpenService", printer.OpenService("FiscalPrinter", device, controlObject), 0);
  expect("ServiceObjectVersion", printer.GetPropertyNumber(8), 1012021);
  expect("ClaimDevice", printer.ClaimDevice(1000), 0);
  printer.SetPropertyNumber(3, 1);
  expect("DeviceEnabled", printer.GetPropertyNumber(3), 1);
  // Currency arguments arrive as numbers and are converted: 1.20 EUR.
  expect("BeginFiscalReceipt", printer.BeginFiscalReceipt(true), 0);
  expect("PrintRecItem", printer.PrintRecItem("Jablko \u010derven\u00e9", 1.2, 10000, 1, 1.2, "ks"), 0);
  expect("PrintRecTotal", printer.PrintRecTotal(1.2, 2, "1"), 0);
  expect("EndFiscalReceipt", printer.EndFiscalReceipt(false), 0);
  expect("unsupported ClearOutput", printer.clearoutput(), 106);
  expect("ErrorString", printer.GetPropertyString(1016001), "Nepodporovan\u00e9");
  printer.SetPropertyNumber(3, 0);
  expect("ReleaseDevice", printer.ReleaseDevice(), 0);
  expect("CloseService", printer.CloseService(), 0);
} catch (e) {
  failures.push("exception: " + (e.message || e.description || e));
}
WScript.Echo(failures.length === 0 ? "KESTREL-JSCRIPT: OK" : "KESTREL-JSCRIPT: FAILED " + failures.join("; "));
