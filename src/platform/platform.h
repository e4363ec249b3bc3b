// The outside services the program uses, gathered in one place. Production builds one Platform in
// main.cpp; a test replaces only the service it must control and uses the real ones otherwise.
// A service the run does not need may be null (for example the window services of a launch that
// quits before showing a window).
#pragma once

namespace quo {

class Files;
class System;
class PrivateProfile;
class Windowing;
class FtpService;
class RarLibrary;
class Processes;
class Tray;
class AnimationService;
class TranslationDb;
class Crypto;

struct Platform {
  Files* files = nullptr;
  System* system = nullptr;
  PrivateProfile* ini = nullptr;
  Windowing* windowing = nullptr;
  FtpService* ftp = nullptr;
  RarLibrary* rar = nullptr;
  Processes* processes = nullptr;
  Tray* tray = nullptr;
  AnimationService* animation = nullptr;
  TranslationDb* translationDb = nullptr;
  Crypto* crypto = nullptr;
};

}  // namespace quo
