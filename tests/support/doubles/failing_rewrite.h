#pragma once
// A data-file rewrite that fails, installed through platform::setRewriteHook.
namespace platform::testing {

// Makes the next rewrite fail after its content is written but before it
// replaces the old file, as a full disk would. Later rewrites succeed again.
void failNextRewrite();

} // namespace platform::testing
