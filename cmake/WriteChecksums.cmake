# Writes DIR/SHA256SUMS in sha256sum's format ("<hash>  <name>", names relative to DIR), so that
# `sha256sum -c SHA256SUMS` run in DIR checks the files. Run by the build:
#   cmake -DDIR=dir -P WriteChecksums.cmake -- FILE...
cmake_minimum_required(VERSION 3.20)

set(sums "")
set(listed FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
    if(listed)
        file(SHA256 "${DIR}/${CMAKE_ARGV${i}}" hash)
        string(APPEND sums "${hash}  ${CMAKE_ARGV${i}}\n")
    elseif(CMAKE_ARGV${i} STREQUAL "--")
        set(listed TRUE)
    endif()
endforeach()
file(WRITE "${DIR}/SHA256SUMS" "${sums}")
