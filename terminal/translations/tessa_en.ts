<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Form1</name>
    <message>
        <source>Auto test</source>
        <translation>Auto test</translation>
    </message>
    <message>
        <source>離開</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>接收資料(字元)</source>
        <translation>Received (characters)</translation>
    </message>
    <message>
        <source>切換</source>
        <translation>Switch view</translation>
    </message>
    <message>
        <source>清除畫面</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>自動傳送</source>
        <translation>Auto send</translation>
    </message>
    <message>
        <source>測試編輯</source>
        <translation>Test edit</translation>
    </message>
    <message>
        <source>其他測試</source>
        <translation>Other tests</translation>
    </message>
    <message>
        <source>ModBus測試</source>
        <translation>ModBus test</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Open new</source>
        <translation>&amp;Open new</translation>
    </message>
    <message>
        <source>Open &amp;old file</source>
        <translation>Open &amp;old file</translation>
    </message>
    <message>
        <source>&amp;Save File</source>
        <translation>&amp;Save File</translation>
    </message>
    <message>
        <source>Screen</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Narrow</source>
        <translation>Narrow</translation>
    </message>
    <message>
        <source>&amp;Port</source>
        <translation>&amp;Port</translation>
    </message>
    <message>
        <source>Serial &amp;ports...</source>
        <translation>Serial &amp;ports...</translation>
    </message>
    <message>
        <source>&amp;Auto test</source>
        <translation>&amp;Auto test</translation>
    </message>
    <message>
        <source>S&amp;top auto test</source>
        <translation>S&amp;top auto test</translation>
    </message>
    <message>
        <source>尋找有裝置回應的通訊埠</source>
        <translation>Finds the port where a device answers</translation>
    </message>
    <message>
        <source>結束程式</source>
        <translation>Closes tessa</translation>
    </message>
    <message>
        <source>目前顯示的接收資料格式</source>
        <translation>Which view of the received bytes is shown</translation>
    </message>
    <message>
        <source>在字元與16進制顯示之間切換</source>
        <translation>Switches between the character view and the hex view</translation>
    </message>
    <message>
        <source>清除接收資料</source>
        <translation>Clears the received data</translation>
    </message>
    <message>
        <source>編號的傳送/延遲程式, 傳送一次或迴圈</source>
        <translation>The numbered send/delay program, sent once or in a loop</translation>
    </message>
    <message>
        <source>輸入命令並查看裝置的回應</source>
        <translation>Type commands and see the device&apos;s answers</translation>
    </message>
    <message>
        <source>命令列, 編碼器, 狀態查詢與輸出</source>
        <translation>Command rows, encoder, status queries and outputs</translation>
    </message>
    <message>
        <source>Modbus RTU 請求與解碼的回應</source>
        <translation>Modbus RTU requests and the decoded reply</translation>
    </message>
    <message>
        <source>清空程式列表</source>
        <translation>Empties the program list</translation>
    </message>
    <message>
        <source>從檔案載入程式</source>
        <translation>Loads a program from a file</translation>
    </message>
    <message>
        <source>將程式存成檔案</source>
        <translation>Saves the program to a file</translation>
    </message>
    <message>
        <source>寬的視窗: 接收資料在右邊</source>
        <translation>The wide window: the received data on the right</translation>
    </message>
    <message>
        <source>窄的視窗: 接收資料在下面</source>
        <translation>The narrow window: the received data below</translation>
    </message>
    <message>
        <source>選擇每個通訊埠號碼開啟的裝置</source>
        <translation>Chooses the device each port number opens</translation>
    </message>
    <message>
        <source>停止自動測試</source>
        <translation>Stops the auto test</translation>
    </message>
    <message>
        <source>F&amp;ind</source>
        <translation>F&amp;ind</translation>
    </message>
</context>
<context>
    <name>tessa</name>
    <message>
        <source>the delay &quot;%1&quot; is not 0 to %2 ms.</source>
        <translation>the delay &quot;%1&quot; is not 0 to %2 ms.</translation>
    </message>
    <message>
        <source>Line %1: %2 Nothing was changed.</source>
        <translation>Line %1: %2 Nothing was changed.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not hexadecimal data (two hexadecimal digits and a space per byte).</source>
        <translation>&quot;%1&quot; is not hexadecimal data (two hexadecimal digits and a space per byte).</translation>
    </message>
    <message>
        <source>The file is longer than %1 MiB; only its first %1 MiB were read.</source>
        <translation>The file is longer than %1 MiB; only its first %1 MiB were read.</translation>
    </message>
    <message>
        <source>超過1000行!</source>
        <translation>More than 1000 lines!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>資料空白!</source>
        <translation>The data is empty!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>接收資料(字元)</source>
        <translation>Received (characters)</translation>
    </message>
    <message>
        <source>接收資料(16進制)</source>
        <translation>Received (hex)</translation>
    </message>
    <message>
        <source>通訊埠尚未連線唷!</source>
        <translation>The port is not connected yet!</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: %2. Nothing was sent.</source>
        <translation>Cannot read &quot;%1&quot;: %2. Nothing was sent.</translation>
    </message>
    <message>
        <source>只載入了前1000行。</source>
        <translation>Only the first 1000 lines were loaded.</translation>
    </message>
</context>
<context>
    <name>tessa::AutoSendPage</name>
    <message>
        <source>編輯</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>資料</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>系統延遲</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>16進制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>字元</source>
        <translation>Characters</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>刪除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>取代</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>傳送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>儲存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>載入</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>迴圈</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>Over 1000 lines</source>
        <translation>Over 1000 lines</translation>
    </message>
    <message>
        <source>No Data!!</source>
        <translation>No Data!!</translation>
    </message>
    <message>
        <source>Must data blank!!</source>
        <translation>Must data blank!!</translation>
    </message>
    <message>
        <source>No Data</source>
        <translation>No Data</translation>
    </message>
    <message>
        <source>File already exist,overwrite it?</source>
        <translation>File already exist,overwrite it?</translation>
    </message>
    <message>
        <source>Could not save &quot;%1&quot;: %2. The file was not changed.</source>
        <translation>Could not save &quot;%1&quot;: %2. The file was not changed.</translation>
    </message>
    <message>
        <source>Save finished</source>
        <translation>Save finished</translation>
    </message>
    <message>
        <source>Save finished
%1 beyond the one-byte code page (Latin-1) written as &quot;?&quot;.</source>
        <translation>Save finished
%1 beyond the one-byte code page (Latin-1) written as &quot;?&quot;.</translation>
    </message>
    <message>
        <source>1 character was</source>
        <translation>1 character was</translation>
    </message>
    <message>
        <source>%1 characters were</source>
        <translation>%1 characters were</translation>
    </message>
    <message>
        <source>Could not open &quot;%1&quot;: %2</source>
        <translation>Could not open &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>編輯一行程式: 資料或延遲</source>
        <translation>Edits one program line: data or a delay</translation>
    </message>
    <message>
        <source>這一行傳送資料</source>
        <translation>The line sends data</translation>
    </message>
    <message>
        <source>這一行等待 (毫秒)</source>
        <translation>The line waits (milliseconds)</translation>
    </message>
    <message>
        <source>資料為16進制位元組 (例如 0D 0A)</source>
        <translation>The data is hex bytes (e.g. 0D 0A)</translation>
    </message>
    <message>
        <source>資料為字元</source>
        <translation>The data is characters</translation>
    </message>
    <message>
        <source>資料後加上 CR LF</source>
        <translation>Appends CR LF to the data</translation>
    </message>
    <message>
        <source>在程式最後加上這一行</source>
        <translation>Adds the line at the end of the program</translation>
    </message>
    <message>
        <source>在選取的行之前插入這一行</source>
        <translation>Inserts the line before the selected line</translation>
    </message>
    <message>
        <source>刪除選取的行</source>
        <translation>Deletes the selected line</translation>
    </message>
    <message>
        <source>以編輯的內容取代選取的行</source>
        <translation>Replaces the selected line with the edited one</translation>
    </message>
    <message>
        <source>從第1行開始傳送程式一次 (勾選迴圈則重複)</source>
        <translation>Sends the program once, from line 1 (again and again with Loop checked)</translation>
    </message>
    <message>
        <source>停止傳送程式</source>
        <translation>Stops sending the program</translation>
    </message>
    <message>
        <source>將程式存成檔案</source>
        <translation>Saves the program to a file</translation>
    </message>
    <message>
        <source>從檔案載入程式</source>
        <translation>Loads a program from a file</translation>
    </message>
    <message>
        <source>傳送完最後一行後從第1行重新開始</source>
        <translation>Starts again from line 1 after the last line</translation>
    </message>
    <message>
        <source>通訊埠連線已中斷，程式在第 %1 行停止</source>
        <translation>The port connection was lost; the program stopped at line %1</translation>
    </message>
    <message>
        <source>通訊埠已關閉，程式在第 %1 行停止</source>
        <translation>The port was closed; the program stopped at line %1</translation>
    </message>
</context>
<context>
    <name>tessa::AutoTestRunner</name>
    <message>
        <source>Auto test: starting at COM1</source>
        <translation>Auto test: starting at COM1</translation>
    </message>
    <message>
        <source>Auto test: probing COM%1 of %2 - found: %3</source>
        <translation>Auto test: probing COM%1 of %2 - found: %3</translation>
    </message>
    <message>
        <source>none yet</source>
        <translation>none yet</translation>
    </message>
    <message>
        <source>Auto test finished after COM%1 - found: %2</source>
        <translation>Auto test finished after COM%1 - found: %2</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Auto test stopped.</source>
        <translation>Auto test stopped.</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
</context>
<context>
    <name>tessa::ChecksumFrameBox</name>
    <message>
        <source>Output</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>Out String(16H)</source>
        <translation>Out String(16H)</translation>
    </message>
    <message>
        <source>chk sum</source>
        <translation>chk sum</translation>
    </message>
    <message>
        <source>Text2(%1) holds &quot;%2&quot;, which is not a hexadecimal byte (00 to FF). Nothing was sent.</source>
        <translation>Text2(%1) holds &quot;%2&quot;, which is not a hexadecimal byte (00 to FF). Nothing was sent.</translation>
    </message>
    <message>
        <source>傳送左邊的位元組</source>
        <translation>Sends the bytes on the left</translation>
    </message>
    <message>
        <source>加上加總檢查碼</source>
        <translation>Appends an additive checksum</translation>
    </message>
</context>
<context>
    <name>tessa::ConnectionBar</name>
    <message>
        <source>通訊埠已被其他程式佔用!</source>
        <translation>The port is in use by another program!</translation>
    </message>
    <message>
        <source>通訊埠連線已中斷!</source>
        <translation>The port connection was lost!</translation>
    </message>
    <message>
        <source>連線中...</source>
        <translation>Online...</translation>
    </message>
    <message>
        <source>未連線</source>
        <translation>Offline</translation>
    </message>
    <message>
        <source>找不到通訊埠 COM%1 的裝置 (%2)!</source>
        <translation>No device found for port COM%1 (%2)!</translation>
    </message>
    <message>
        <source>沒有開啟通訊埠 COM%1 (%2) 的權限!</source>
        <translation>No permission to open port COM%1 (%2)!</translation>
    </message>
    <message>
        <source>通訊埠 COM%1 (%2) 不接受線路設定: %3</source>
        <translation>Port COM%1 (%2) refuses the line settings: %3</translation>
    </message>
    <message>
        <source>連接埠</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>鮑率</source>
        <translation>Baud</translation>
    </message>
    <message>
        <source>連線</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>中斷連線</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>連接埠 &quot;%1&quot; 無法使用: 請輸入 %2 到 %3 之間的號碼!</source>
        <translation>Port &quot;%1&quot; cannot be used: enter a number from %2 to %3!</translation>
    </message>
    <message>
        <source>通訊埠號碼 (1 到 21)</source>
        <translation>The port number (1 to 21)</translation>
    </message>
    <message>
        <source>傳輸速率 (每秒位元數)</source>
        <translation>The line speed (bits per second)</translation>
    </message>
    <message>
        <source>無同位元, 8 個資料位元, 1 個停止位元</source>
        <translation>No parity, 8 data bits, 1 stop bit</translation>
    </message>
    <message>
        <source>開啟通訊埠並連線</source>
        <translation>Opens the port and connects</translation>
    </message>
    <message>
        <source>關閉通訊埠</source>
        <translation>Closes the port</translation>
    </message>
    <message>
        <source>連線狀態</source>
        <translation>The connection state</translation>
    </message>
</context>
<context>
    <name>tessa::ControlLinesPanel</name>
    <message>
        <source>This port has no modem lines (a pseudo-terminal?): RTS, DTR, CTS, DSR, DCD and RI do not exist on it.</source>
        <translation>This port has no modem lines (a pseudo-terminal?): RTS, DTR, CTS, DSR, DCD and RI do not exist on it.</translation>
    </message>
    <message>
        <source>Control lines</source>
        <translation>Control lines</translation>
    </message>
    <message>
        <source>Send break</source>
        <translation>Send break</translation>
    </message>
    <message>
        <source>Break...</source>
        <translation>Break...</translation>
    </message>
    <message>
        <source>Not connected: RTS and DTR are set at connect.</source>
        <translation>Not connected: RTS and DTR are set at connect.</translation>
    </message>
    <message>
        <source>Clear to send: lit while the device holds CTS on</source>
        <translation>Clear to send: lit while the device holds CTS on</translation>
    </message>
    <message>
        <source>Data set ready: lit while the device holds DSR on</source>
        <translation>Data set ready: lit while the device holds DSR on</translation>
    </message>
    <message>
        <source>Data carrier detect: lit while the device holds DCD on</source>
        <translation>Data carrier detect: lit while the device holds DCD on</translation>
    </message>
    <message>
        <source>Ring indicator: lit while the device holds RI on</source>
        <translation>Ring indicator: lit while the device holds RI on</translation>
    </message>
    <message>
        <source>Request to send: sets the RTS output line on or off</source>
        <translation>Request to send: sets the RTS output line on or off</translation>
    </message>
    <message>
        <source>Data terminal ready: sets the DTR output line on or off</source>
        <translation>Data terminal ready: sets the DTR output line on or off</translation>
    </message>
    <message>
        <source>How long Send break holds the transmit line in break</source>
        <translation>How long Send break holds the transmit line in break</translation>
    </message>
    <message>
        <source>Send break does nothing on a pseudo-terminal: it has no line to hold in break.</source>
        <translation>Send break does nothing on a pseudo-terminal: it has no line to hold in break.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Closes this panel; the lines stay as they are</source>
        <translation>Closes this panel; the lines stay as they are</translation>
    </message>
    <message>
        <source>Holds the transmit line in break for the time beside it</source>
        <translation>Holds the transmit line in break for the time beside it</translation>
    </message>
</context>
<context>
    <name>tessa::FindPanel</name>
    <message>
        <source>Match case</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Find bytes (hex)</source>
        <translation>Find bytes (hex)</translation>
    </message>
    <message>
        <source>Find text</source>
        <translation>Find text</translation>
    </message>
    <message>
        <source>hex bytes, e.g. 0D 0A</source>
        <translation>hex bytes, e.g. 0D 0A</translation>
    </message>
    <message>
        <source>text</source>
        <translation>text</translation>
    </message>
    <message>
        <source>Type bytes as hex digit pairs, e.g. 0D 0A</source>
        <translation>Type bytes as hex digit pairs, e.g. 0D 0A</translation>
    </message>
    <message>
        <source>No match</source>
        <translation>No match</translation>
    </message>
    <message>
        <source>1 match</source>
        <translation>1 match</translation>
    </message>
    <message>
        <source>%1 matches</source>
        <translation>%1 matches</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>The receive log started again. </source>
        <translation>The receive log started again. </translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Find...</translation>
    </message>
    <message>
        <source>Finds text (or hex bytes) in the receive view in sight</source>
        <translation>Finds text (or hex bytes) in the receive view in sight</translation>
    </message>
    <message>
        <source>Find &amp;next</source>
        <translation>Find &amp;next</translation>
    </message>
    <message>
        <source>Goes to the next match</source>
        <translation>Goes to the next match</translation>
    </message>
    <message>
        <source>Find &amp;previous</source>
        <translation>Find &amp;previous</translation>
    </message>
    <message>
        <source>Goes to the match before</source>
        <translation>Goes to the match before</translation>
    </message>
</context>
<context>
    <name>tessa::HelpMenu</name>
    <message>
        <source>Enter	Sends the command line (page 測試編輯) or the typed characters</source>
        <translation>Enter	Sends the command line (page Test edit) or the typed characters</translation>
    </message>
    <message>
        <source>Double-click	Resends a line of the command history (page 測試編輯)</source>
        <translation>Double-click	Resends a line of the command history (page Test edit)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Guide</source>
        <translation>&amp;Guide</translation>
    </message>
    <message>
        <source>Opens the user guide in the web browser</source>
        <translation>Opens the user guide in the web browser</translation>
    </message>
    <message>
        <source>&amp;Keyboard shortcuts</source>
        <translation>&amp;Keyboard shortcuts</translation>
    </message>
    <message>
        <source>&amp;About tessa</source>
        <translation>&amp;About tessa</translation>
    </message>
    <message>
        <source>&amp;Language (applied at the next start)</source>
        <translation>&amp;Language (applied at the next start)</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese (the designed captions)</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Guide</source>
        <translation>Guide</translation>
    </message>
    <message>
        <source>The guide was not found. It is installed as /usr/share/doc/tessa/guide/index.html (package tessa); run &quot;man tessa&quot; for the options and files.</source>
        <translation>The guide was not found. It is installed as /usr/share/doc/tessa/guide/index.html (package tessa); run &quot;man tessa&quot; for the options and files.</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Keyboard shortcuts</translation>
    </message>
    <message>
        <source>About tessa</source>
        <translation>About tessa</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>The window is in English from the next start of tessa.</source>
        <translation>The window is in English from the next start of tessa.</translation>
    </message>
    <message>
        <source>The window is in Chinese (the designed captions) from the next start of tessa.</source>
        <translation>The window is in Chinese (the designed captions) from the next start of tessa.</translation>
    </message>
    <message>
        <source>Lists the keys of the window&apos;s commands</source>
        <translation>Lists the keys of the window&apos;s commands</translation>
    </message>
    <message>
        <source>The version, the Qt version and where the settings are kept</source>
        <translation>The version, the Qt version and where the settings are kept</translation>
    </message>
    <message>
        <source>tessa %1, a test terminal for devices on a serial line.
Qt %2 (built with %3), %4 for the test scripts; Modbus RTU frames are tessa&apos;s own.
Settings: %5
Guide: %6</source>
        <translation>tessa %1, a test terminal for devices on a serial line.
Qt %2 (built with %3), %4 for the test scripts; Modbus RTU frames are tessa&apos;s own.
Settings: %5
Guide: %6</translation>
    </message>
</context>
<context>
    <name>tessa::HistoryWindow</name>
    <message>
        <source>Receive history</source>
        <translation>Receive history</translation>
    </message>
    <message>
        <source>Follow</source>
        <translation>Follow</translation>
    </message>
    <message>
        <source>On: shows the newest bytes as they come. Off: the view holds still and counts the bytes that come meanwhile</source>
        <translation>On: shows the newest bytes as they come. Off: the view holds still and counts the bytes that come meanwhile</translation>
    </message>
    <message>
        <source>text to find</source>
        <translation>text to find</translation>
    </message>
    <message>
        <source>Text (or hex bytes) to find among all the bytes kept</source>
        <translation>Text (or hex bytes) to find among all the bytes kept</translation>
    </message>
    <message>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>Find bytes typed as hex digit pairs, e.g. 0D 0A</source>
        <translation>Find bytes typed as hex digit pairs, e.g. 0D 0A</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Finds the match before the current one (Shift+F3)</source>
        <translation>Finds the match before the current one (Shift+F3)</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Finds the match after the current one (F3)</source>
        <translation>Finds the match after the current one (F3)</translation>
    </message>
    <message>
        <source>Type bytes as hex digit pairs, e.g. 0D 0A</source>
        <translation>Type bytes as hex digit pairs, e.g. 0D 0A</translation>
    </message>
    <message>
        <source>Not among the %1 bytes kept</source>
        <translation>Not among the %1 bytes kept</translation>
    </message>
    <message>
        <source>Found at byte %1 (%2 bytes before the newest)</source>
        <translation>Found at byte %1 (%2 bytes before the newest)</translation>
    </message>
    <message>
        <source>Went round to the oldest byte. </source>
        <translation>Went round to the oldest byte. </translation>
    </message>
    <message>
        <source>Went round to the newest byte. </source>
        <translation>Went round to the newest byte. </translation>
    </message>
    <message>
        <source>Paused: %1 new bytes not shown</source>
        <translation>Paused: %1 new bytes not shown</translation>
    </message>
    <message>
        <source>%1 bytes kept of %2 received</source>
        <translation>%1 bytes kept of %2 received</translation>
    </message>
    <message>
        <source>Receive &amp;history...</source>
        <translation>Receive &amp;history...</translation>
    </message>
    <message>
        <source>Every byte received in this session, with Find; holds still while you look</source>
        <translation>Every byte received in this session, with Find; holds still while you look</translation>
    </message>
</context>
<context>
    <name>tessa::LineSettingsControl</name>
    <message>
        <source>&amp;Line settings...</source>
        <translation>&amp;Line settings...</translation>
    </message>
    <message>
        <source>Line settings</source>
        <translation>Line settings</translation>
    </message>
    <message>
        <source>%1. The line runs with %2.</source>
        <translation>%1. The line runs with %2.</translation>
    </message>
    <message>
        <source>Data bits, parity, stop bits and flow control of the port (kept for the next start)</source>
        <translation>Data bits, parity, stop bits and flow control of the port (kept for the next start)</translation>
    </message>
</context>
<context>
    <name>tessa::LineSettingsDialog</name>
    <message>
        <source>Line settings</source>
        <translation>Line settings</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>RTS/CTS</source>
        <translation>RTS/CTS</translation>
    </message>
    <message>
        <source>XON/XOFF</source>
        <translation>XON/XOFF</translation>
    </message>
    <message>
        <source>Data bits</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>Stop bits</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>Flow control</source>
        <translation>Flow control</translation>
    </message>
</context>
<context>
    <name>tessa::ModbusPage</name>
    <message>
        <source>↑  Send ModBus Data  ↑</source>
        <translation>↑  Send ModBus Data  ↑</translation>
    </message>
    <message>
        <source>← Send ModBus Data</source>
        <translation>← Send ModBus Data</translation>
    </message>
    <message>
        <source>ASCII Mode</source>
        <translation>ASCII Mode</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>SAVE</translation>
    </message>
    <message>
        <source>傳送這個面板的 Modbus RTU 寫入請求 (CRC 自動計算)</source>
        <translation>Sends this panel&apos;s Modbus RTU write request (the CRC is computed)</translation>
    </message>
    <message>
        <source>傳送左邊面板的 Modbus RTU 讀取請求 (CRC 自動計算)</source>
        <translation>Sends the Modbus RTU read request of the panel on the left (the CRC is computed)</translation>
    </message>
    <message>
        <source>傳送切換到 ASCII 模式的固定請求給左邊的 ID</source>
        <translation>Sends the fixed request that switches to ASCII mode, to the ID on the left</translation>
    </message>
    <message>
        <source>傳送儲存設定的固定請求給左邊的 ID</source>
        <translation>Sends the fixed request that saves the settings, to the ID on the left</translation>
    </message>
    <message>
        <source>從站位址 (16進制)</source>
        <translation>Slave address (hex)</translation>
    </message>
    <message>
        <source>功能碼 (16進制)</source>
        <translation>Function code (hex)</translation>
    </message>
    <message>
        <source>起始暫存器位址 (16進制)</source>
        <translation>First register address (hex)</translation>
    </message>
    <message>
        <source>暫存器數量 (16進制)</source>
        <translation>Number of registers (hex)</translation>
    </message>
    <message>
        <source>資料的位元組數 (16進制)</source>
        <translation>Number of data bytes (hex)</translation>
    </message>
    <message>
        <source>寫入的資料 (16進制)</source>
        <translation>The data written (hex)</translation>
    </message>
    <message>
        <source>CRC, 傳送時自動計算</source>
        <translation>CRC, computed when the request is sent</translation>
    </message>
</context>
<context>
    <name>tessa::ModbusReplyArea</name>
    <message>
        <source>Reply within</source>
        <translation>Reply within</translation>
    </message>
    <message>
        <source>How long after a Modbus request its reply is awaited</source>
        <translation>How long after a Modbus request its reply is awaited</translation>
    </message>
    <message>
        <source>Decoded reply to the last request</source>
        <translation>Decoded reply to the last request</translation>
    </message>
    <message>
        <source>History...</source>
        <translation>History...</translation>
    </message>
    <message>
        <source>The last requests: time, request, reply, verdict and round trip, to copy</source>
        <translation>The last requests: time, request, reply, verdict and round trip, to copy</translation>
    </message>
</context>
<context>
    <name>tessa::MotionCommandBar</name>
    <message>
        <source>讀取參數</source>
        <translation>Read params</translation>
    </message>
    <message>
        <source>讀取位置</source>
        <translation>Read position</translation>
    </message>
    <message>
        <source>讀取轉速</source>
        <translation>Read speed</translation>
    </message>
    <message>
        <source>讀取程式</source>
        <translation>Read program</translation>
    </message>
    <message>
        <source>傳送參數</source>
        <translation>Send params</translation>
    </message>
    <message>
        <source>要求裝置送出它的參數</source>
        <translation>Asks the device for its parameters</translation>
    </message>
    <message>
        <source>要求裝置送出它的位置</source>
        <translation>Asks the device for its position</translation>
    </message>
    <message>
        <source>要求裝置送出它的轉速</source>
        <translation>Asks the device for its speed</translation>
    </message>
    <message>
        <source>要求裝置送出它的程式</source>
        <translation>Asks the device for its program</translation>
    </message>
    <message>
        <source>選擇參數檔並下載到裝置</source>
        <translation>Picks a parameter file and downloads it to the device</translation>
    </message>
</context>
<context>
    <name>tessa::OtherTestsPage</name>
    <message>
        <source>Send →</source>
        <translation>Send →</translation>
    </message>
    <message>
        <source>ID:</source>
        <translation>ID:</translation>
    </message>
    <message>
        <source>讀取Encoder</source>
        <translation>Read encoder</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>儲存接收訊息 .TXT (C碟)</source>
        <translation>Save received text .TXT (drive C)</translation>
    </message>
    <message>
        <source>Saves to %1</source>
        <translation>Saves to %1</translation>
    </message>
    <message>
        <source>Received text saved to %1</source>
        <translation>Received text saved to %1</translation>
    </message>
    <message>
        <source>Could not save the received text to %1: %2</source>
        <translation>Could not save the received text to %1: %2</translation>
    </message>
    <message>
        <source>裝置 ID, 跟命令一起傳送</source>
        <translation>The device ID, sent with the command</translation>
    </message>
    <message>
        <source>傳送右邊的命令與 ID (以 CR LF 結尾)</source>
        <translation>Sends the command on its right with the ID (ended by CR LF)</translation>
    </message>
    <message>
        <source>傳送右邊的編碼器值</source>
        <translation>Sends the encoder value on its right</translation>
    </message>
    <message>
        <source>傳送 sabs 命令與右邊的值</source>
        <translation>Sends the sabs command with the value on its right</translation>
    </message>
    <message>
        <source>傳送 test 查詢</source>
        <translation>Sends the test query</translation>
    </message>
</context>
<context>
    <name>tessa::OutputFrame</name>
    <message>
        <source>輸出</source>
        <translation>Outputs</translation>
    </message>
    <message>
        <source>Out %1</source>
        <translation>Out %1</translation>
    </message>
    <message>
        <source>Outon</source>
        <translation>Outon</translation>
    </message>
    <message>
        <source>Outoff</source>
        <translation>Outoff</translation>
    </message>
    <message>
        <source>設定裝置的輸出 Out 0 到 Out 3</source>
        <translation>Sets the device&apos;s outputs Out 0 to Out 3</translation>
    </message>
    <message>
        <source>勾選的輸出由 Outon/Outoff 設定</source>
        <translation>The checked outputs are set by Outon/Outoff</translation>
    </message>
    <message>
        <source>打開勾選的輸出</source>
        <translation>Switches the checked outputs on</translation>
    </message>
    <message>
        <source>關閉勾選的輸出</source>
        <translation>Switches the checked outputs off</translation>
    </message>
</context>
<context>
    <name>tessa::PollPanel</name>
    <message>
        <source>Modbus polling</source>
        <translation>Modbus polling</translation>
    </message>
    <message>
        <source>Slave, function (3, 4 or 6), register, and the count (3/4) or the value written (6); decimal or 0x hex</source>
        <translation>Slave, function (3, 4 or 6), register, and the count (3/4) or the value written (6); decimal or 0x hex</translation>
    </message>
    <message>
        <source>Milliseconds from one request to the next; 0: as fast as the replies come</source>
        <translation>Milliseconds from one request to the next; 0: as fast as the replies come</translation>
    </message>
    <message>
        <source>Requests to send; 0: until Stop</source>
        <translation>Requests to send; 0: until Stop</translation>
    </message>
    <message>
        <source>Register values a read must return, else it counts as a mismatch; empty: any values</source>
        <translation>Register values a read must return, else it counts as a mismatch; empty: any values</translation>
    </message>
    <message>
        <source>How the values read are shown and logged</source>
        <translation>How the values read are shown and logged</translation>
    </message>
    <message>
        <source>Which register of a pair holds the high half of an int32 or float32</source>
        <translation>Which register of a pair holds the high half of an int32 or float32</translation>
    </message>
    <message>
        <source>CSV log file: one line per request (time, request, reply, verdict, values); empty: none</source>
        <translation>CSV log file: one line per request (time, request, reply, verdict, values); empty: none</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the CSV log file</source>
        <translation>Choose the CSV log file</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Start polling on the open port</source>
        <translation>Start polling on the open port</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Stop polling at once</source>
        <translation>Stop polling at once</translation>
    </message>
    <message>
        <source>Replies that answer the request</source>
        <translation>Replies that answer the request</translation>
    </message>
    <message>
        <source>Replies that do not answer it: another slave or function, bad CRC, cut short, values not those expected</source>
        <translation>Replies that do not answer it: another slave or function, bad CRC, cut short, values not those expected</translation>
    </message>
    <message>
        <source>Modbus exception replies</source>
        <translation>Modbus exception replies</translation>
    </message>
    <message>
        <source>Requests with no reply in 1 s</source>
        <translation>Requests with no reply in 1 s</translation>
    </message>
    <message>
        <source>Round trip of the whole replies in ms: min / median / max</source>
        <translation>Round trip of the whole replies in ms: min / median / max</translation>
    </message>
    <message>
        <source>The values of the last reply</source>
        <translation>The values of the last reply</translation>
    </message>
    <message>
        <source>Request</source>
        <translation>Request</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>Expected values</source>
        <translation>Expected values</translation>
    </message>
    <message>
        <source>Values as</source>
        <translation>Values as</translation>
    </message>
    <message>
        <source>CSV log</source>
        <translation>CSV log</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Good</translation>
    </message>
    <message>
        <source>Mismatch</source>
        <translation>Mismatch</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>Exception</translation>
    </message>
    <message>
        <source>No reply</source>
        <translation>No reply</translation>
    </message>
    <message>
        <source>Round trip (ms)</source>
        <translation>Round trip (ms)</translation>
    </message>
    <message>
        <source>Last values</source>
        <translation>Last values</translation>
    </message>
    <message>
        <source>Request: %1</source>
        <translation>Request: %1</translation>
    </message>
    <message>
        <source>Expected values: %1</source>
        <translation>Expected values: %1</translation>
    </message>
    <message>
        <source>The port is not connected.</source>
        <translation>The port is not connected.</translation>
    </message>
    <message>
        <source>CSV log %1: %2</source>
        <translation>CSV log %1: %2</translation>
    </message>
    <message>
        <source>The poll&apos;s settings are out of range.</source>
        <translation>The poll&apos;s settings are out of range.</translation>
    </message>
    <message>
        <source>Polling %1</source>
        <translation>Polling %1</translation>
    </message>
    <message>
        <source>Stopped: the port refused a request.</source>
        <translation>Stopped: the port refused a request.</translation>
    </message>
    <message>
        <source>Finished.</source>
        <translation>Finished.</translation>
    </message>
    <message>
        <source>CSV file (*.csv);;All files (*)</source>
        <translation>CSV file (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>Poll CSV log</source>
        <translation>Poll CSV log</translation>
    </message>
</context>
<context>
    <name>tessa::PortMapDialog</name>
    <message>
        <source>Serial ports</source>
        <translation>Serial ports</translation>
    </message>
    <message>
        <source>Port number</source>
        <translation>Port number</translation>
    </message>
    <message>
        <source>Device (empty: default)</source>
        <translation>Device (empty: default)</translation>
    </message>
    <message>
        <source>Opens</source>
        <translation>Opens</translation>
    </message>
    <message>
        <source>mapped</source>
        <translation>mapped</translation>
    </message>
    <message>
        <source> (set by %1, which overrides this mapping)</source>
        <translation> (set by %1, which overrides this mapping)</translation>
    </message>
</context>
<context>
    <name>tessa::PortMenu</name>
    <message>
        <source>Control &amp;lines...</source>
        <translation>Control &amp;lines...</translation>
    </message>
    <message>
        <source>Send &amp;file...</source>
        <translation>Send &amp;file...</translation>
    </message>
    <message>
        <source>Time&amp;stamps on received chunks</source>
        <translation>Time&amp;stamps on received chunks</translation>
    </message>
    <message>
        <source>Sets RTS and DTR, sends a break and shows CTS, DSR, DCD and RI</source>
        <translation>Sets RTS and DTR, sends a break and shows CTS, DSR, DCD and RI</translation>
    </message>
    <message>
        <source>Sends a file&apos;s bytes as they are, in chunks with a delay between them</source>
        <translation>Sends a file&apos;s bytes as they are, in chunks with a delay between them</translation>
    </message>
    <message>
        <source>Marks each received chunk with its arrival time in the receive views</source>
        <translation>Marks each received chunk with its arrival time in the receive views</translation>
    </message>
</context>
<context>
    <name>tessa::ReceiveView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>tessa::ReconnectControl</name>
    <message>
        <source>&amp;Reconnect when the port returns</source>
        <translation>&amp;Reconnect when the port returns</translation>
    </message>
    <message>
        <source>Reconnected to %1</source>
        <translation>Reconnected to %1</translation>
    </message>
    <message>
        <source>Another device is at %1; waiting for the lost one</source>
        <translation>Another device is at %1; waiting for the lost one</translation>
    </message>
    <message>
        <source>%1 is back but could not be opened; waiting for it to return again</source>
        <translation>%1 is back but could not be opened; waiting for it to return again</translation>
    </message>
    <message>
        <source>%1 was lost; it is connected again when it returns</source>
        <translation>%1 was lost; it is connected again when it returns</translation>
    </message>
    <message>
        <source>Opens the port again by itself when the same device comes back after a loss</source>
        <translation>Opens the port again by itself when the same device comes back after a loss</translation>
    </message>
</context>
<context>
    <name>tessa::SendFilePanel</name>
    <message>
        <source>Send file</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source> bytes</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>Chunk</source>
        <translation>Chunk</translation>
    </message>
    <message>
        <source>Delay between chunks</source>
        <translation>Delay between chunks</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 of %2 bytes</source>
        <translation>%1 of %2 bytes</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>Cannot send %1: %2</source>
        <translation>Cannot send %1: %2</translation>
    </message>
    <message>
        <source>The file whose bytes are sent, as they are</source>
        <translation>The file whose bytes are sent, as they are</translation>
    </message>
    <message>
        <source>Chooses the file to send</source>
        <translation>Chooses the file to send</translation>
    </message>
    <message>
        <source>Bytes written to the port at a time</source>
        <translation>Bytes written to the port at a time</translation>
    </message>
    <message>
        <source>Wait after each chunk has left, before the next one</source>
        <translation>Wait after each chunk has left, before the next one</translation>
    </message>
    <message>
        <source>Sends the whole file once, from its first byte</source>
        <translation>Sends the whole file once, from its first byte</translation>
    </message>
    <message>
        <source>Stops sending; says how many bytes have left</source>
        <translation>Stops sending; says how many bytes have left</translation>
    </message>
</context>
<context>
    <name>tessa::SerialPort</name>
    <message>
        <source>Invalid settings &quot;%1&quot;</source>
        <translation>Invalid settings &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>tessa::SessionMenu</name>
    <message>
        <source>tessa session (*.tessa);;All files (*)</source>
        <translation>tessa session (*.tessa);;All files (*)</translation>
    </message>
    <message>
        <source>Open s&amp;ession...</source>
        <translation>Open s&amp;ession...</translation>
    </message>
    <message>
        <source>從工作階段檔案載入通訊埠、線路設定、自動回應、腳本與面板內容</source>
        <translation>Load the port, line settings, answers, script and panel contents from a session file</translation>
    </message>
    <message>
        <source>Save sess&amp;ion...</source>
        <translation>Save sess&amp;ion...</translation>
    </message>
    <message>
        <source>將通訊埠、線路設定、自動回應、腳本與面板內容存成一個工作階段檔案</source>
        <translation>Save the port, line settings, answers, script and panel contents to one session file</translation>
    </message>
    <message>
        <source>Open session</source>
        <translation>Open session</translation>
    </message>
    <message>
        <source>Save session</source>
        <translation>Save session</translation>
    </message>
    <message>
        <source>無法開啟工作階段檔案 %1，什麼都沒有改變：
%2</source>
        <translation>The session file %1 cannot be opened; nothing was changed:
%2</translation>
    </message>
    <message>
        <source>無法寫入工作階段檔案 %1：
%2</source>
        <translation>The session file %1 cannot be written:
%2</translation>
    </message>
</context>
<context>
    <name>tessa::StatusQueryFrame</name>
    <message>
        <source>狀態查詢</source>
        <translation>Status query</translation>
    </message>
    <message>
        <source>Special I/O</source>
        <translation>Special I/O</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Busy</source>
        <translation>Busy</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>查詢裝置的狀態</source>
        <translation>Asks the device for its state</translation>
    </message>
    <message>
        <source>查詢裝置的 %1 狀態</source>
        <translation>Asks the device for its %1 state</translation>
    </message>
    <message>
        <source>查詢裝置的版本</source>
        <translation>Asks the device for its version</translation>
    </message>
</context>
<context>
    <name>tessa::TestEditPage</name>
    <message>
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Jog+</source>
        <translation>Jog+</translation>
    </message>
    <message>
        <source>Jog-</source>
        <translation>Jog-</translation>
    </message>
    <message>
        <source>儲存程式/參數</source>
        <translation>Store prog/params</translation>
    </message>
    <message>
        <source>傳送程式</source>
        <translation>Send program</translation>
    </message>
    <message>
        <source>命令後加上 CR LF</source>
        <translation>Appends CR LF to the command</translation>
    </message>
    <message>
        <source>送出回原點命令</source>
        <translation>Sends the home command</translation>
    </message>
    <message>
        <source>送出啟動命令</source>
        <translation>Sends the start command</translation>
    </message>
    <message>
        <source>送出停止命令</source>
        <translation>Sends the stop command</translation>
    </message>
    <message>
        <source>點一下走一步; 按住則正向寸動到放開為止</source>
        <translation>A click steps forward; held, jogs forward until released</translation>
    </message>
    <message>
        <source>點一下走一步; 按住則反向寸動到放開為止</source>
        <translation>A click steps back; held, jogs backward until released</translation>
    </message>
    <message>
        <source>要求裝置儲存它的程式與參數</source>
        <translation>Asks the device to store its program and parameters</translation>
    </message>
    <message>
        <source>選擇程式檔並下載到裝置</source>
        <translation>Picks a program file and downloads it to the device</translation>
    </message>
</context>
<context>
    <name>tessa::ToolsMenu</name>
    <message>
        <source>Modbus &amp;polling...</source>
        <translation>Modbus &amp;polling...</translation>
    </message>
    <message>
        <source>Send one Modbus request again and again and count the verdicts of the replies</source>
        <translation>Send one Modbus request again and again and count the verdicts of the replies</translation>
    </message>
</context>
<context>
    <name>tessa::TrafficCountersControl</name>
    <message>
        <source>Byte &amp;counters in the status bar</source>
        <translation>Byte &amp;counters in the status bar</translation>
    </message>
    <message>
        <source>Bytes sent and received since connect, and the receive rate. Click to start from zero.</source>
        <translation>Bytes sent and received since connect, and the receive rate. Click to start from zero.</translation>
    </message>
    <message>
        <source>Shows the bytes sent and received, and their rates, in the status bar</source>
        <translation>Shows the bytes sent and received, and their rates, in the status bar</translation>
    </message>
</context>
<context>
    <name>tessa::TrafficLog</name>
    <message>
        <source>Cannot start the traffic log: the system gave it no pipe to wake its writer</source>
        <translation>Cannot start the traffic log: the system gave it no pipe to wake its writer</translation>
    </message>
    <message>
        <source>Cannot open the traffic log %1: %2</source>
        <translation>Cannot open the traffic log %1: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>%1 was removed or its folder is gone</source>
        <translation>%1 was removed or its folder is gone</translation>
    </message>
</context>
<context>
    <name>tessa::TrafficLogControl</name>
    <message>
        <source>&amp;Traffic log...</source>
        <translation>&amp;Traffic log...</translation>
    </message>
    <message>
        <source>Stop &amp;traffic log</source>
        <translation>Stop &amp;traffic log</translation>
    </message>
    <message>
        <source>Traffic log (*.txt)|*.txt</source>
        <translation>Traffic log (*.txt)|*.txt</translation>
    </message>
    <message>
        <source>Traffic log</source>
        <translation>Traffic log</translation>
    </message>
    <message>
        <source>The traffic log could not start: %1</source>
        <translation>The traffic log could not start: %1</translation>
    </message>
    <message>
        <source>Traffic log: %1 %2</source>
        <translation>Traffic log: %1 %2</translation>
    </message>
    <message>
        <source>The traffic log stopped: %1</source>
        <translation>The traffic log stopped: %1</translation>
    </message>
    <message>
        <source>Writes every byte sent and received, with time stamps, to a text file</source>
        <translation>Writes every byte sent and received, with time stamps, to a text file</translation>
    </message>
</context>
</TS>
