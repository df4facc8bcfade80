#include "framework/window/Requests.h"

namespace tarn::framework {

namespace {
thread_local uint8_t sharedRequest = 0;
thread_local uint8_t sharedResponse = 0;
thread_local int32_t formNavigationRequest = 0;
}  // namespace

uint8_t& SharedRequest() { return sharedRequest; }
uint8_t& SharedResponse() { return sharedResponse; }
int32_t& FormNavigationRequest() { return formNavigationRequest; }

}  // namespace tarn::framework
