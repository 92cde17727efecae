# One place for the compiler settings every target of the project shares.
add_library(valdro_options INTERFACE)
target_compile_features(valdro_options INTERFACE cxx_std_20)
target_compile_options(valdro_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(valdro_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT)

if(VALDRO_SANITIZE)
  string(REPLACE ";" "," _san "${VALDRO_SANITIZE}")
  target_compile_options(valdro_options INTERFACE -fsanitize=${_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(valdro_options INTERFACE -fsanitize=${_san})
endif()
