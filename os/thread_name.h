#pragma once
// A name for the calling thread, as debuggers, profilers and the view
// benchmark's CPU breakdown show it. Windows versions (and Wine) without
// thread descriptions simply keep the thread unnamed.
namespace os {

void NameCurrentThread(const char* name);

}  // namespace os
