# The program icon in the hicolor theme: the SVG as it is, and PNG sizes
# rendered from it at build time, laid out as the theme expects.
add_executable(render_icon ${CMAKE_CURRENT_LIST_DIR}/render_icon.cpp)
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)

set(TINTARO_ICON_SIZES 16 32 48 64 128 256)
set(icon_svg ${CMAKE_SOURCE_DIR}/data/icons/tintaro.svg)
set(hicolor ${CMAKE_BINARY_DIR}/hicolor)
set(icon_outputs ${hicolor}/scalable/apps/org.tintaro.Tintaro.svg)
set(icon_commands COMMAND ${CMAKE_COMMAND} -E copy ${icon_svg} ${hicolor}/scalable/apps/org.tintaro.Tintaro.svg)
foreach(size ${TINTARO_ICON_SIZES})
  set(dir ${hicolor}/${size}x${size}/apps)
  list(APPEND icon_outputs ${dir}/org.tintaro.Tintaro.png)
  list(APPEND icon_commands
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:render_icon> ${icon_svg} ${dir} ${size}
    COMMAND ${CMAKE_COMMAND} -E rename ${dir}/${size}.png ${dir}/org.tintaro.Tintaro.png)
endforeach()
add_custom_command(OUTPUT ${icon_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${hicolor}/scalable/apps
  ${icon_commands}
  DEPENDS render_icon ${icon_svg}
  COMMENT "Rendering the program icon for the hicolor theme")
add_custom_target(tintaro_theme_icons ALL DEPENDS ${icon_outputs})
