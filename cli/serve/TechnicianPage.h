#pragma once
// The technician's page at "/": printer status, the X report, the recent
// requests with their ids and outcomes, saving the journal and the saved
// files. Plain HTML, CSS and a little JavaScript, served from the binary,
// with Slovak and English labels.
namespace kestrel::serve {

const char* PageHtml();
const char* PageScript();
const char* PageStyle();

}  // namespace kestrel::serve
