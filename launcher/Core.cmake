# The launcher's testable parts. kq_launcher_core is portable: the language texts and
# the status and error texts built from them (Windows types through common/WinTypes.h),
# and the skin components the main window needs (shared with kqskin).
# kq_launcher_options is Windows only: the launch options over the display modes.
add_library(kq_launcher_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LanguageCode.h
  ${CMAKE_CURRENT_LIST_DIR}/LanguageTexts.cpp ${CMAKE_CURRENT_LIST_DIR}/LanguageTexts.h
  ${CMAKE_CURRENT_LIST_DIR}/MainComponents.cpp ${CMAKE_CURRENT_LIST_DIR}/MainComponents.h
  ${CMAKE_CURRENT_LIST_DIR}/StatusText.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusText.h
  ${CMAKE_CURRENT_LIST_DIR}/TextInput.cpp ${CMAKE_CURRENT_LIST_DIR}/TextInput.h
)
target_link_libraries(kq_launcher_core PUBLIC kq_common kq_skin_core)

if(WIN32)
  add_library(kq_launcher_options STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DisplayModeSource.h
    ${CMAKE_CURRENT_LIST_DIR}/LaunchOptionControls.h
    ${CMAKE_CURRENT_LIST_DIR}/LaunchOptions.cpp ${CMAKE_CURRENT_LIST_DIR}/LaunchOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/SystemDisplayModes.cpp ${CMAKE_CURRENT_LIST_DIR}/SystemDisplayModes.h
  )
  target_link_libraries(kq_launcher_options PUBLIC kq_launcher_core user32)
endif()
