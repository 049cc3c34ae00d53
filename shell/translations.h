// The windows' texts in the user's language: the translation (.qm) of the
// user's locale that the build put under :/translations, installed once
// for the whole program before its first window. Without one (English, or
// a language nobody translated yet) the texts stay as the sources wrote them.
#pragma once

namespace vostrel::shell {

// Installs the translator for the user's locale; true when one was found.
// Later calls do nothing and give the first call's answer.
bool InstallTranslator();

}  // namespace vostrel::shell
