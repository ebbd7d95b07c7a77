// Intentionally empty: a translation unit for compile checks of headers.
