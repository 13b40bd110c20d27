# The streaming picture readers: JPEG through libjpeg and PNG through libpng,
# row by row, with the Exif orientation, and photos fitted to a screen from them. Standard C++ and the two libraries, no Qt.
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
add_library(pelorin_picture_readers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FittedPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FittedPicture.h
  ${CMAKE_CURRENT_LIST_DIR}/JpegReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegReader.h
  ${CMAKE_CURRENT_LIST_DIR}/Orientation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Orientation.h
  ${CMAKE_CURRENT_LIST_DIR}/PngReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngReader.h
  ${CMAKE_CURRENT_LIST_DIR}/RowStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RowStream.h
  ${CMAKE_CURRENT_LIST_DIR}/StreamedPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamedPicture.h
)
target_include_directories(pelorin_picture_readers PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(pelorin_picture_readers
  PUBLIC pelorin_engine
  PRIVATE JPEG::JPEG PNG::PNG pelorin_warnings
)
