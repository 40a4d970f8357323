quorfw_add_fuzzer(fuzz_service_response SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/service_response.cpp)

# Seeds: the answers of the update service as it sends them, headers and body.
set(seed_dir ${CMAKE_BINARY_DIR}/corpus/fuzz_service_response)
set(ok "HTTP/1.1 200 OK\r\nContent-Type: application/soap+xml\; charset=utf-8\r\nContent-Length: 300\r\n\r\n")
set(envelope "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body>")
file(WRITE ${seed_dir}/package.txt "${ok}${envelope}<GetFirmwareVersionResponse xmlns=\"http://tempuri.org/\"><GetFirmwareVersionResult>http://127.0.0.1:8080/files/zq-3.0.4.20.qup</GetFirmwareVersionResult></GetFirmwareVersionResponse></soap12:Body></soap12:Envelope>")
file(WRITE ${seed_dir}/bare-name.txt "HTTP/1.0 200 OK\r\n\r\n<GetFirmwareVersionResponse x><GetFirmwareVersionResult>http://zq.qup</GetFirmwareVersionResult>")
file(WRITE ${seed_dir}/empty-result.txt "${ok}${envelope}<GetFirmwareVersionResponse xmlns=\"http://tempuri.org/\"><GetFirmwareVersionResult></GetFirmwareVersionResult></GetFirmwareVersionResponse></soap12:Body></soap12:Envelope>")
file(WRITE ${seed_dir}/report.txt "${ok}${envelope}<FirmwareUpdatedResponse xmlns=\"http://tempuri.org/\"><FirmwareUpdatedResult>true</FirmwareUpdatedResult></FirmwareUpdatedResponse></soap12:Body></soap12:Envelope>")
file(WRITE ${seed_dir}/queue.txt "<FirmwareUpdated xmlns=\"http://tempuri.org/\"><barcode>10030100000001</barcode><user>tech</user><version>3.0.4.20</version></FirmwareUpdated>\r\n\r\n<FirmwareUpdated>")
