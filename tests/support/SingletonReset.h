#pragma once
// Test-only access to the process-wide objects: drops every one of them so the
// next use creates it afresh. Each test already runs in its own process; this
// is for tests that need two "processes" in one.
namespace kestrel {

struct SingletonReset {
  static void All();
};

}  // namespace kestrel
