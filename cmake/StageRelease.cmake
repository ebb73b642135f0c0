# Stages the release copy of the program, the one the zip and SHA256SUMS hold: Authenticode-signed
# with the maintainer's certificate when MORVA_SIGNING_PKCS12 is set, else the linked program as
# it is. Run by the build:
#   cmake -DPROGRAM=linked.exe -DSTAGED=release.exe -DSETTINGS=signing.cmake -P StageRelease.cmake
# SETTINGS sets the three MORVA_SIGNING_* variables. The password stays in its file: osslsigncode
# reads it there (-readpass), so it is on no command line and in no log.
cmake_minimum_required(VERSION 3.20)
include(${SETTINGS})

file(REMOVE ${STAGED} ${STAGED}.signing)
if(NOT MORVA_SIGNING_PKCS12)
    execute_process(COMMAND ${CMAKE_COMMAND} -E copy ${PROGRAM} ${STAGED}
        COMMAND_ERROR_IS_FATAL ANY)
    return()
endif()

foreach(variable MORVA_SIGNING_PKCS12 MORVA_SIGNING_PASSWORD_FILE)
    if(NOT ${variable})
        message(FATAL_ERROR "Signing: ${variable} is not set")
    elseif(NOT EXISTS "${${variable}}" OR IS_DIRECTORY "${${variable}}")
        message(FATAL_ERROR "Signing: ${variable} names no file: ${${variable}}")
    endif()
endforeach()
find_program(osslsigncode osslsigncode)
if(NOT osslsigncode)
    message(FATAL_ERROR "Signing: MORVA_SIGNING_PKCS12 is set but osslsigncode is not installed")
endif()

set(timestamp "")
if(MORVA_SIGNING_TIMESTAMP_URL)
    # An RFC 3161 time stamp keeps the signature valid after the certificate expires.
    set(timestamp -ts ${MORVA_SIGNING_TIMESTAMP_URL})
endif()
execute_process(
    COMMAND ${osslsigncode} sign -pkcs12 ${MORVA_SIGNING_PKCS12}
        -readpass ${MORVA_SIGNING_PASSWORD_FILE} -h sha256 ${timestamp}
        -in ${PROGRAM} -out ${STAGED}.signing
    RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
    file(REMOVE ${STAGED}.signing)
    set(why "the password in MORVA_SIGNING_PASSWORD_FILE (${MORVA_SIGNING_PASSWORD_FILE}) does not\
 open MORVA_SIGNING_PKCS12 (${MORVA_SIGNING_PKCS12}), or that file holds no certificate and key")
    if(MORVA_SIGNING_TIMESTAMP_URL)
        string(APPEND why ", or MORVA_SIGNING_TIMESTAMP_URL (${MORVA_SIGNING_TIMESTAMP_URL}) did\
 not answer")
    endif()
    message(FATAL_ERROR "Signing failed: ${why}. osslsigncode said:\n${output}")
endif()
file(RENAME ${STAGED}.signing ${STAGED})
