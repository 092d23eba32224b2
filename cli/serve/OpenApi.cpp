#include "cli/serve/OpenApi.h"

namespace kestrel::serve {
namespace {

Json Ref(const char* name) { return Json{{"$ref", std::string("#/components/schemas/") + name}}; }

Json JsonBody(const char* schema, bool required = true) {
  return Json{{"required", required}, {"content", {{"application/json", {{"schema", Ref(schema)}}}}}};
}

Json Reply(const char* description, const char* schema) {
  return Json{{"description", description}, {"content", {{"application/json", {{"schema", Ref(schema)}}}}}};
}

Json Amount(const char* description) {
  return Json{{"type", "number"}, {"multipleOf", 0.0001}, {"description", description}};
}

// The answers every printing request may get besides its own.
Json PrintingReplies(const char* okSchema) {
  return Json{
      {"200", Reply("Printed; a replayed answer carries the header Idempotent-Replayed: true", okSchema)},
      {"400", Reply("The request is malformed; error.field names the field", "Error")},
      {"401", Reply("The bearer token is missing or wrong", "Error")},
      {"403", Reply("The Origin is not allowed", "Error")},
      {"409", Reply("The id was used before for a different request", "Error")},
      {"413", Reply("The body is larger than 1 MiB", "Error")},
      {"415", Reply("The body is not application/json", "Error")},
      {"421", Reply("The Host header is not this server", "Error")},
      {"422", Reply("The printer refused; nothing of the request stands at the printer (outcome failed); the same "
                    "request may be sent again",
                    "Failure")},
      {"502",
       Reply("The outcome is unknown and the server never prints the id again; check says what to look at", "Failure")},
      {"503", Reply("The printer is busy, silent or settling an earlier id (outcome pending); send the same request "
                    "again after Retry-After",
                    "Failure")}};
}

}  // namespace

Json OpenApiDocument(const PaymentTable& payments) {
  Json types = Json::array();
  std::string table;
  for (const auto& [name, code] : payments) {
    types.push_back(name);
    table += (table.empty() ? "" : ", ") + name + " = " + code;
  }
  const Json id{{"type", "string"},
                {"pattern", "^[A-Za-z0-9._:-]{1,64}$"},
                {"description",
                 "The client's id of this request. The same id with the same body returns the "
                 "recorded answer and prints nothing; with another body it is refused (409)."}};
  const Json discount{{"type", "object"},
                      {"additionalProperties", false},
                      {"description", "Either an amount or a percentage (0-100) taken off"},
                      {"properties", {{"amount", Amount("EUR")}, {"percent", {{"type", "number"}, {"maximum", 100}}}}}};
  Json schemas;
  schemas["Item"] = {
      {"type", "object"},
      {"additionalProperties", false},
      {"required", {"text", "quantity", "unitPrice", "vat"}},
      {"properties",
       {{"text", {{"type", "string"}, {"maxLength", 40}}},
        {"quantity", {{"type", "number"}, {"exclusiveMinimum", 0}, {"multipleOf", 0.0001}}},
        {"unitPrice", Amount("EUR per unit")},
        {"vat",
         {{"type", "integer"}, {"minimum", 1}, {"maximum", 8}, {"description", "The printer's VAT rate number"}}},
        {"unit", {{"type", "string"}, {"maxLength", 3}}},
        {"discount", Ref("Discount")}}}};
  schemas["Discount"] = discount;
  schemas["Payment"] = {{"type", "object"},
                        {"additionalProperties", false},
                        {"required", {"amount"}},
                        {"properties",
                         {{"amount", Amount("EUR")},
                          {"type",
                           {{"type", "string"},
                            {"enum", types},
                            {"default", "cash"},
                            {"description", "Payment types and the printer's codes: " + table}}}}}};
  schemas["Receipt"] = {
      {"type", "object"},
      {"additionalProperties", false},
      {"required", {"id", "items", "payments"}},
      {"properties",
       {{"id", id},
        {"items", {{"type", "array"}, {"minItems", 1}, {"maxItems", 200}, {"items", Ref("Item")}}},
        {"discount", Ref("Discount")},
        {"message", {{"type", "string"}, {"maxLength", 4000}}},
        {"payments", {{"type", "array"}, {"minItems", 1}, {"maxItems", 8}, {"items", Ref("Payment")}}}}}};
  schemas["ReceiptPrinted"] = {{"type", "object"},
                               {"properties",
                                {{"ok", {{"type", "boolean"}}},
                                 {"id", {{"type", "string"}}},
                                 {"receiptNumber", {{"type", "integer"}}},
                                 {"total", Amount("EUR, as the printer added it up")},
                                 {"change", Amount("EUR handed back")}}}};
  schemas["Cash"] = {
      {"type", "object"},
      {"additionalProperties", false},
      {"required", {"id", "amount", "direction"}},
      {"properties",
       {{"id", id}, {"amount", Amount("EUR")}, {"direction", {{"type", "string"}, {"enum", {"in", "out"}}}}}}};
  schemas["Done"] = {{"type", "object"}, {"properties", {{"ok", {{"type", "boolean"}}}, {"id", {{"type", "string"}}}}}};
  schemas["Error"] = {
      {"type", "object"},
      {"properties",
       {{"ok", {{"type", "boolean"}, {"const", false}}},
        {"error",
         {{"type", "object"}, {"properties", {{"text", {{"type", "string"}}}, {"field", {{"type", "string"}}}}}}}}}};
  schemas["Failure"] = {
      {"type", "object"},
      {"properties",
       {{"ok", {{"type", "boolean"}, {"const", false}}},
        {"id", {{"type", "string"}}},
        {"outcome", {{"type", "string"}, {"enum", {"failed", "pending", "unknown"}}}},
        {"cancelled", {{"type", "boolean"}}},
        {"check", {{"type", "string"}}},
        {"error",
         {{"type", "object"},
          {"properties",
           {{"resultCode", {{"type", "integer"}}},
            {"extended", {{"type", "integer"}}},
            {"text", {{"type", "string"}, {"description", "The service's error text (Slovak)"}}},
            {"step",
             {{"type", "string"}, {"description", "open, items[N], discount, message, payments[N], close"}}}}}}}}}};

  Json paths;
  paths["/api/v1/printer"]["get"] = {
      {"summary", "Printer status: firmware, serial number, state, day, closure, training mode, paper and cover"},
      {"responses", {{"200", {{"description", "Status; online false when the printer does not answer"}}}}}};
  paths["/api/v1/receipts"]["post"] = {{"summary", "Print a sales receipt, at most once per id"},
                                       {"requestBody", JsonBody("Receipt")},
                                       {"responses", PrintingReplies("ReceiptPrinted")}};
  paths["/api/v1/receipts"]["get"] = {{"summary", "The most recent ids with their outcomes"},
                                      {"responses", {{"200", {{"description", "receipts: newest first"}}}}}};
  paths["/api/v1/receipts/{id}"]["get"] = {
      {"summary", "The recorded outcome of one id"},
      {"parameters", {{{"name", "id"}, {"in", "path"}, {"required", true}, {"schema", {{"type", "string"}}}}}},
      {"responses", {{"200", {{"description", "The record"}}}, {"404", {{"description", "Not known"}}}}}};
  paths["/api/v1/cash"]["post"] = {{"summary", "Cash in or out of the drawer, at most once per id"},
                                   {"requestBody", JsonBody("Cash")},
                                   {"responses", PrintingReplies("Done")}};
  paths["/api/v1/reports/x"]["post"] = {{"summary", "Print the X report (optional body {\"id\"})"},
                                        {"responses", PrintingReplies("Done")}};
  paths["/api/v1/reports/z"]["post"] = {
      {"summary", "Print the Z report and close the fiscal day; body {\"confirm\": true, \"id\"?}"},
      {"responses", PrintingReplies("Done")}};
  paths["/api/v1/cancel"]["post"] = {
      {"summary", "End whatever is open: void an unpaid receipt, close a paid one, end a non-fiscal document"},
      {"responses",
       {{"200", {{"description", "what: nothing, receipt-voided, receipt-closed, non-fiscal-ended"}}},
        {"422", Reply("The printer refused", "Failure")}}}};
  paths["/api/v1/journal"]["post"] = {
      {"summary", "Save the electronic journal as NAME.txt and NAME.bin in the export directory; body {\"name\"}"},
      {"responses",
       {{"201", {{"description", "files: the names written"}}},
        {"409", Reply("A file of that name exists", "Error")},
        {"422", Reply("Nothing to save, or the printer refused", "Error")}}}};
  paths["/api/v1/journal"]["get"] = {{"summary", "The saved journals"},
                                     {"responses", {{"200", {{"description", "files: name, size, modified"}}}}}};
  paths["/api/v1/journal/{name}"]["get"] = {
      {"summary", "One saved journal, NAME.txt (windows-1250 text) or NAME.bin"},
      {"parameters", {{{"name", "name"}, {"in", "path"}, {"required", true}, {"schema", {{"type", "string"}}}}}},
      {"responses", {{"200", {{"description", "The file"}}}, {"404", {{"description", "No such file"}}}}}};
  paths["/api/v1/openapi.json"]["get"] = {{"summary", "This document"},
                                          {"responses", {{"200", {{"description", "OpenAPI 3"}}}}}};

  return Json{{"openapi", "3.0.3"},
              {"info",
               {{"title", "Kestrel fiscal printer"},
                {"version", "1"},
                {"description",
                 "Local HTTP access to the Kestrel fiscal printer. Amounts are JSON numbers in EUR "
                 "with at most 4 decimals. Every printing request carries an id: a receipt is never "
                 "printed twice, even across a crash of the server or the client."}}},
              {"components",
               {{"schemas", schemas}, {"securitySchemes", {{"bearer", {{"type", "http"}, {"scheme", "bearer"}}}}}}},
              {"paths", paths}};
}

}  // namespace kestrel::serve
