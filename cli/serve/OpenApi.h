#pragma once
// GET /api/v1/openapi.json: the API described in OpenAPI 3.
#include "cli/serve/ApiRequests.h"

namespace kestrel::serve {

Json OpenApiDocument(const PaymentTable& payments);

}  // namespace kestrel::serve
