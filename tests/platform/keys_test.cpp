// The live backend's keys: what SDL delivers becomes the message and virtual-key code a
// Windows window would get, and only the Escape key itself can end the show.
#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>

#include "platform/win32.h"
#include "platform/winapi/sdl_backend.h"

namespace {
std::pair<UINT, WPARAM> keyMessage(SDL_Keycode key, SDL_Scancode position, Uint16 modifiers = KMOD_NONE) {
  UINT message = 0;
  WPARAM code = 0;
  sdlKeyMessage(key, position, modifiers, &message, &code);
  return {message, code};
}
}  // namespace

TEST(LiveKeys, LettersOfEveryLayoutAreNeverEscape) {
  EXPECT_EQ(keyMessage(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), std::make_pair(UINT(WM_KEYDOWN), WPARAM(VK_ESCAPE)));
  EXPECT_EQ(keyMessage(SDLK_q, SDL_SCANCODE_Q), std::make_pair(UINT(WM_KEYDOWN), WPARAM('Q')));
  EXPECT_EQ(keyMessage(SDLK_7, SDL_SCANCODE_7), std::make_pair(UINT(WM_KEYDOWN), WPARAM('7')));
  EXPECT_EQ(keyMessage(SDLK_F4, SDL_SCANCODE_F4), std::make_pair(UINT(WM_KEYDOWN), WPARAM(VK_F4)));
  EXPECT_EQ(keyMessage(SDLK_RETURN, SDL_SCANCODE_RETURN), std::make_pair(UINT(WM_KEYDOWN), WPARAM(VK_RETURN)));
  // Czech "e with caron" on the 2 key and Romanian "t with comma" on the ] key: SDL gives their
  // code points, whose low bytes are 0x1B, Escape's code.
  EXPECT_EQ(keyMessage(0x011B, SDL_SCANCODE_2).second, WPARAM('2'));
  EXPECT_EQ(keyMessage(0x021B, SDL_SCANCODE_RIGHTBRACKET).second, WPARAM(0));
  // An AZERTY "a" sits where QWERTY has Q: the symbol decides, as on Windows.
  EXPECT_EQ(keyMessage(SDLK_a, SDL_SCANCODE_Q).second, WPARAM('A'));
  // A Cyrillic letter, a German sharp s, and keys with no code of ours.
  EXPECT_EQ(keyMessage(0x0439, SDL_SCANCODE_Q).second, WPARAM('Q'));
  EXPECT_EQ(keyMessage(0x00DF, SDL_SCANCODE_MINUS).second, WPARAM(0));
  for (SDL_Keycode key : {SDLK_LSHIFT, SDLK_CAPSLOCK, SDLK_PRINTSCREEN, SDLK_KP_ENTER, SDLK_AUDIOPLAY, SDLK_SLEEP})
    EXPECT_NE(keyMessage(key, SDL_GetScancodeFromKey(key)).second, WPARAM(VK_ESCAPE)) << SDL_GetKeyName(key);
  // Every code point whose low byte is Escape's.
  for (SDL_Keycode key = 0x011B; key < 0x10000; key += 0x100)
    EXPECT_NE(keyMessage(key, SDL_SCANCODE_UNKNOWN).second, WPARAM(VK_ESCAPE)) << key;
}

// With Alt held a key is a system key: Alt+Escape is no Escape, Alt+F4 no WM_KEYDOWN; AltGr
// (which Windows reports with Ctrl) types ordinary keys.
TEST(LiveKeys, KeysWithAltAreSystemKeys) {
  EXPECT_EQ(keyMessage(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_LALT),
            std::make_pair(UINT(WM_SYSKEYDOWN), WPARAM(VK_ESCAPE)));
  EXPECT_EQ(keyMessage(SDLK_F4, SDL_SCANCODE_F4, KMOD_RALT), std::make_pair(UINT(WM_SYSKEYDOWN), WPARAM(VK_F4)));
  EXPECT_EQ(keyMessage(SDLK_e, SDL_SCANCODE_E, KMOD_RALT | KMOD_LCTRL).first, UINT(WM_KEYDOWN));
  EXPECT_EQ(keyMessage(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_LSHIFT).first, UINT(WM_KEYDOWN));
}
