#include "framework/Profile.h"

namespace {
CProfileStore* currentStore = nullptr;
}

CProfileStore* AfxGetProfile() {
  return currentStore;
}

void AfxSetProfile(CProfileStore* store) {
  currentStore = store;
}
