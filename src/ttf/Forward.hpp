#pragma once

namespace ttf {

class FontManager;
class FontTable;
class Language;
class NameTable;
class TTFLabel;
class TTFont;

}
