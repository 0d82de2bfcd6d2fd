#pragma once

// Makes sure libcurl's global state is set up before its first use; safe from any thread.
void EnsureCurlGlobalInit();
