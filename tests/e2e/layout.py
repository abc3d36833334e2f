"""Where the design puts the windows, in pixels (twips ÷ 15), as both
end-to-end tests check them."""

# Client-area top-left corners of the dialogs, and their sizes.
INSTRUCTIONS_AT = (3375 // 15, 3555 // 15)
INSTRUCTIONS_SIZE = (5280 // 15, 2160 // 15)
HELP_AT = (3255 // 15, 1560 // 15)
HELP_SIZE = (5535 // 15, 6645 // 15)
# The main window's client area, menu bar excluded (5295 x 6585 twips).
MAIN_CLIENT = (5295 // 15, 6585 // 15)
