#pragma once
// A scratch directory with a registry profile for one benchmark run: the
// service reads its port, data directory and log switches from it, exactly as
// it would from a technician's profile.
#include <map>
#include <string>

namespace kestrel::bench {

class BenchProfile {
 public:
  BenchProfile();   // makes the directory and points KESTREL_REGISTRY at it
  ~BenchProfile();  // removes the directory
  BenchProfile(const BenchProfile&) = delete;
  BenchProfile& operator=(const BenchProfile&) = delete;

  void Set(const std::string& name, const std::string& value);
  const std::string& Dir() const { return dir_; }
  const std::string& DataDir() const { return dataDir_; }

 private:
  void Rewrite() const;

  std::string dir_;
  std::string dataDir_;
  std::map<std::string, std::string> values_;
};

}  // namespace kestrel::bench
