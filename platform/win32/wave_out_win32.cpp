#include "platform/win32/wave_out_win32.h"

#include <windows.h>
// after windows.h
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>

namespace platform::win32 {

namespace {

// A device number stands where a handle may stand; the device is not opened.
HWAVEOUT AsHandle(std::uint32_t device) {
  return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(device));
}

// Spelled out here so the program needs no extra import library for them.
constexpr CLSID kMMDeviceEnumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
constexpr IID kIMMDeviceEnumerator = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
constexpr IID kIAudioEndpointVolume = {
    0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (ptr_ != nullptr) ptr_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  T* ptr_ = nullptr;
};

// Returns false where the system has no Core Audio or no playback device.
template <typename Use>
bool WithEndpointVolume(Use use) {
  ComPtr<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(kMMDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER,
                              kIMMDeviceEnumerator, reinterpret_cast<void**>(enumerator.Out())))) {
    return false;
  }
  ComPtr<IMMDevice> device;
  if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.Out()))) return false;
  ComPtr<IAudioEndpointVolume> volume;
  if (FAILED(device->Activate(kIAudioEndpointVolume, CLSCTX_INPROC_SERVER, nullptr,
                              reinterpret_cast<void**>(volume.Out())))) {
    return false;
  }
  return use(*volume.operator->());
}

}  // namespace

std::uint32_t WaveOutWin32::DeviceCount() { return waveOutGetNumDevs(); }

std::optional<std::uint32_t> WaveOutWin32::Support(std::uint32_t device) {
  WAVEOUTCAPSW caps{};
  if (waveOutGetDevCapsW(device, &caps, sizeof caps) != MMSYSERR_NOERROR) return std::nullopt;
  return caps.dwSupport;
}

std::optional<std::uint32_t> WaveOutWin32::GetVolume(std::uint32_t device) {
  DWORD volume = 0;
  if (waveOutGetVolume(AsHandle(device), &volume) != MMSYSERR_NOERROR) return std::nullopt;
  return volume;
}

void WaveOutWin32::SetVolume(std::uint32_t device, std::uint32_t value) {
  waveOutSetVolume(AsHandle(device), value);
}

std::optional<float> MasterVolumeWin32::GetScalar() {
  float scalar = 0;
  const bool ok = WithEndpointVolume([&](IAudioEndpointVolume& volume) {
    return SUCCEEDED(volume.GetMasterVolumeLevelScalar(&scalar));
  });
  if (!ok) return std::nullopt;
  return scalar;
}

bool MasterVolumeWin32::SetScalar(float scalar) {
  return WithEndpointVolume([&](IAudioEndpointVolume& volume) {
    return SUCCEEDED(volume.SetMasterVolumeLevelScalar(scalar, nullptr));
  });
}

std::optional<bool> MasterVolumeWin32::GetMute() {
  BOOL muted = FALSE;
  const bool ok = WithEndpointVolume(
      [&](IAudioEndpointVolume& volume) { return SUCCEEDED(volume.GetMute(&muted)); });
  if (!ok) return std::nullopt;
  return muted != FALSE;
}

bool MasterVolumeWin32::SetMute(bool muted) {
  return WithEndpointVolume([&](IAudioEndpointVolume& volume) {
    return SUCCEEDED(volume.SetMute(muted ? TRUE : FALSE, nullptr));
  });
}

}  // namespace platform::win32
