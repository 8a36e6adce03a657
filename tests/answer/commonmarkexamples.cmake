# Fetches the CommonMark project's examples (the npm package named PACKAGE) into DIR once and
# writes them out as DIR/examples.json for tst_commonmark. Run by ctest as that test's fixture.
if(EXISTS ${DIR}/examples.json)
    return()
endif()
find_program(NPM npm REQUIRED)
find_program(NODE NAMES node nodejs REQUIRED)
file(MAKE_DIRECTORY ${DIR})
execute_process(COMMAND ${NPM} install --no-audit --no-fund --prefix ${DIR} ${PACKAGE}
    RESULT_VARIABLE installed)
if(NOT installed EQUAL 0)
    message(FATAL_ERROR "npm could not install ${PACKAGE}")
endif()
execute_process(COMMAND ${NODE} -e
    "process.stdout.write(JSON.stringify(require(process.argv[1]).tests))"
    ${DIR}/node_modules/${PACKAGE}
    OUTPUT_FILE ${DIR}/examples.json.part RESULT_VARIABLE written)
if(NOT written EQUAL 0)
    message(FATAL_ERROR "the CommonMark examples could not be read")
endif()
file(RENAME ${DIR}/examples.json.part ${DIR}/examples.json)
