# The rule of the two libraries, checked on their sources (run by CTest as
# Layering.CoreIsFreeOfQtAndPlatformFree):
# - no source of quorel_core includes a Qt header or a header of the GUI side (a GUI folder,
#   a ui/ or qt/ subfolder): the core builds and runs without Qt, on Windows too;
# - no window of a core folder (ui/) or Qt side of a seam (qt/) includes a header of the
#   panel or of the measurement window, the floors above them;
# - outside the platform files (a _posix/_win suffix, platform/posix, platform/win) no
#   source includes a header that only POSIX or only Windows has, so that both platforms
#   build every other file.
cmake_minimum_required(VERSION 3.25)

# Called with -DCORE_LIST=<file> -DGUI_LIST=<file>, each holding one source path a line.
file(STRINGS ${CORE_LIST} core_sources)
file(STRINGS ${GUI_LIST} gui_sources)

set(failures)
foreach(source IN LISTS core_sources gui_sources)
  set(platform_file FALSE)
  if(source MATCHES "_(posix|win)\\.cpp$" OR source MATCHES "/platform/(posix|win)/")
    set(platform_file TRUE)
  endif()
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(source IN_LIST core_sources AND (line MATCHES "<Q[A-Za-z]+" OR line MATCHES "<Qt"
       OR line MATCHES "\"(panel|plot|measurement)/" OR line MATCHES "\"[a-z]+/(ui|qt)/"))
      list(APPEND failures "${source}: the core includes the GUI side: ${line}")
    endif()
    # The windows of a core folder and the Qt side of a seam lie below the panel and the
    # measurement window, which use them; what they share lives at their level or below.
    if(source MATCHES "/[a-z]+/(ui|qt)/[^/]+$" AND line MATCHES "\"(panel|measurement)/")
      list(APPEND failures "${source}: a lower floor includes a higher one: ${line}")
    endif()
    if(NOT platform_file AND (line MATCHES "<(unistd|fcntl|termios|poll|pty|spawn|iconv|dirent|windows|winsock2|io)\\.h>"
       OR line MATCHES "<(sys|arpa|netinet)/"))
      list(APPEND failures "${source}: a platform header outside the platform files: ${line}")
    endif()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
list(LENGTH core_sources core_count)
list(LENGTH gui_sources gui_count)
message(STATUS "${core_count} core and ${gui_count} GUI sources keep to the rule")
