// The companion's real link to the host: OLE automation and window lookup.
// Win32 only; the thread must have initialised COM (CoInitialize) first.
#pragma once

#include <optional>
#include <string>

#include "companion/host/host_link.h"

namespace companion {

class Win32HostLink final : public HostLink {
 public:
  // `progId` names the automation object; tests pass their own.
  explicit Win32HostLink(std::string progId = kHostProgId) : progId_(std::move(progId)) {}
  ~Win32HostLink() override { ReleaseHost(); }
  Win32HostLink(const Win32HostLink&) = delete;
  Win32HostLink& operator=(const Win32HostLink&) = delete;

  bool BindHost() override;
  std::optional<HostError> RunHostMacro(const std::string& macro) override;
  void* FindHostWindow() override;
  void FocusHost(void* window) override;
  void ReleaseHost() override;

  // Whether a dispatch reference is held.
  bool IsBound() const { return dispatch_ != nullptr; }

 private:
  std::string progId_;
  void* dispatch_ = nullptr;  // IDispatch*, one reference owned
};

}  // namespace companion
