<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>关于 Vantrel</source>
        <translation>About Vantrel</translation>
    </message>
    <message>
        <source>HART调试工具，V3.2 </source>
        <translation>HART Configurator, V3.2 </translation>
    </message>
    <message>
        <source>Vantrel 3.2.0.1</source>
        <translation>Vantrel 3.2.0.1</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CComDialog</name>
    <message>
        <source>端口配置</source>
        <translation>Port Settings</translation>
    </message>
    <message>
        <source>端口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>RTS控制发送</source>
        <translation>RTS keys transmitter</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial</translation>
    </message>
    <message>
        <source>主机</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>IP端口</source>
        <translation>IP port</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>密钥文件</source>
        <translation>Key file</translation>
    </message>
    <message>
        <source>浏览…</source>
        <translation>Browse…</translation>
    </message>
</context>
<context>
    <name>CDialogConfirm</name>
    <message>
        <source>操作提醒</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>操作前请等待压力稳定，是否确认执行当前操作？</source>
        <translation>Let the pressure settle first. Go ahead?</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CTabConf</name>
    <message>
        <source>组态设置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>测量下限</source>
        <translation>Lower</translation>
    </message>
    <message>
        <source>测量上限</source>
        <translation>Upper</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>阻尼时间</source>
        <translation>Damping</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>均分压力</source>
        <translation>Split</translation>
    </message>
    <message>
        <source>清除零点</source>
        <translation>Clear zero</translation>
    </message>
    <message>
        <source>点击清除零点，将对当前测量值清零，在零压力情况下，有较小偏差时使用。</source>
        <translation>Zeroes the reading. Use at zero pressure for a small offset.</translation>
    </message>
    <message>
        <source>高低端标定</source>
        <translation>Pressure calibration</translation>
    </message>
    <message>
        <source>放大倍数</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>压力码值</source>
        <translation>Raw count</translation>
    </message>
    <message>
        <source>开始采集</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>低端压力值</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>低端标定</source>
        <translation>Cal. low</translation>
    </message>
    <message>
        <source>中点压力值</source>
        <translation>Mid</translation>
    </message>
    <message>
        <source>中点标定</source>
        <translation>Cal. mid</translation>
    </message>
    <message>
        <source>高端压力值</source>
        <translation>High</translation>
    </message>
    <message>
        <source>高端标定</source>
        <translation>Cal. high</translation>
    </message>
    <message>
        <source>电压校准</source>
        <translation>Voltage calibration</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>mV</translation>
    </message>
    <message>
        <source>0mV 校准</source>
        <translation>0 mV cal.</translation>
    </message>
    <message>
        <source>50mV 校准</source>
        <translation>50 mV cal.</translation>
    </message>
    <message>
        <source>电阻校准</source>
        <translation>Resistance calibration</translation>
    </message>
    <message>
        <source>ADM</source>
        <translation>ADM</translation>
    </message>
    <message>
        <source>ADL</source>
        <translation>ADL</translation>
    </message>
    <message>
        <source>R_REF</source>
        <translation>R_REF</translation>
    </message>
    <message>
        <source>V_REF</source>
        <translation>V_REF</translation>
    </message>
    <message>
        <source>校准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>电阻值</source>
        <translation>Ohms</translation>
    </message>
    <message>
        <source>冷端修正</source>
        <translation>Cold junction</translation>
    </message>
    <message>
        <source>冷端温度</source>
        <translation>CJ temp.</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>偏移修正</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>偏移值</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>传感器组态</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>传感器下限</source>
        <translation>Sensor low</translation>
    </message>
    <message>
        <source>传感器上限</source>
        <translation>Sensor high</translation>
    </message>
</context>
<context>
    <name>CTabCur</name>
    <message>
        <source>3.8mA</source>
        <translation>3.8mA</translation>
    </message>
    <message>
        <source>4.0mA</source>
        <translation>4.0mA</translation>
    </message>
    <message>
        <source>8.0mA</source>
        <translation>8.0mA</translation>
    </message>
    <message>
        <source>12.0mA</source>
        <translation>12.0mA</translation>
    </message>
    <message>
        <source>16.0mA</source>
        <translation>16.0mA</translation>
    </message>
    <message>
        <source>20.0mA</source>
        <translation>20.0mA</translation>
    </message>
    <message>
        <source>20.8mA</source>
        <translation>20.8mA</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>输出电流校准</source>
        <translation>Loop current trim</translation>
    </message>
    <message>
        <source>固定电流输出</source>
        <translation>Fixed current</translation>
    </message>
    <message>
        <source>输出理论值</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>实际电流输出</source>
        <translation>Measured</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>校准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>使能</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Release</translation>
    </message>
</context>
<context>
    <name>CTabHart</name>
    <message>
        <source>设备信息</source>
        <translation>Device information</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>TAG</source>
        <translation>TAG</translation>
    </message>
    <message>
        <source>描述符</source>
        <translation>Descriptor</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>yyyy/M/d</source>
        <translation>yyyy/M/d</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>短地址</source>
        <translation>Polling address</translation>
    </message>
    <message>
        <source>Hart轮询地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>修改为</source>
        <translation>New</translation>
    </message>
    <message>
        <source>长地址</source>
        <translation>Long address</translation>
    </message>
    <message>
        <source>写长标签</source>
        <translation>Write LT</translation>
    </message>
    <message>
        <source>读长标签</source>
        <translation>Read LT</translation>
    </message>
    <message>
        <source>长标签</source>
        <translation>LT</translation>
    </message>
    <message>
        <source>鸣叫</source>
        <translation>Squawk</translation>
    </message>
</context>
<context>
    <name>CVantrelView</name>
    <message>
        <source>当前变量</source>
        <translation>Process variables</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
</context>
<context>
    <name>core</name>
    <message>
        <source>未发送</source>
        <translation>not sent</translation>
    </message>
    <message>
        <source>新轮询地址 %1：请在 Hart轮询地址 中选择它</source>
        <translation>new polling address %1: choose it in the HART polling address box</translation>
    </message>
    <message>
        <source>制造商 </source>
        <translation>manufacturer </translation>
    </message>
    <message>
        <source>设备类型 </source>
        <translation>device type </translation>
    </message>
    <message>
        <source>设备ID </source>
        <translation>device ID </translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>已连接另一台仪表，页面数据已清空</source>
        <translation>another instrument is connected; the pages have been cleared</translation>
    </message>
    <message>
        <source>现在连接的是另一台仪表（%1）：未发送</source>
        <translation>another instrument (%1) is connected now: not sent</translation>
    </message>
    <message>
        <source>此仪表（%1）不在已知型号中，命令 %2 对它可能有别的含义。仍要发送吗？</source>
        <translation>This instrument (%1) is not a known model; command %2 may mean something else to it. Send it anyway?</translation>
    </message>
    <message>
        <source>此仪表（%1）不在已知型号中，命令 %2 未发送</source>
        <translation>this instrument (%1) is not a known model: command %2 not sent</translation>
    </message>
    <message>
        <source>页面数据读自另一台仪表（%1），当前仪表为 %2：未写入</source>
        <translation>the values on the page were read from another instrument (%1), the one connected is %2: nothing written</translation>
    </message>
    <message>
        <source>K型热电偶</source>
        <translation>Type K thermocouple</translation>
    </message>
    <message>
        <source>E型热电偶</source>
        <translation>Type E thermocouple</translation>
    </message>
    <message>
        <source>S型热电偶</source>
        <translation>Type S thermocouple</translation>
    </message>
    <message>
        <source>B型热电偶</source>
        <translation>Type B thermocouple</translation>
    </message>
    <message>
        <source>J型热电偶</source>
        <translation>Type J thermocouple</translation>
    </message>
    <message>
        <source>T型热电偶</source>
        <translation>Type T thermocouple</translation>
    </message>
    <message>
        <source>R型热电偶</source>
        <translation>Type R thermocouple</translation>
    </message>
    <message>
        <source>N型热电偶</source>
        <translation>Type N thermocouple</translation>
    </message>
    <message>
        <source>Pt100型热电阻</source>
        <translation>Pt100 RTD</translation>
    </message>
    <message>
        <source>Cu100型热电阻</source>
        <translation>Cu100 RTD</translation>
    </message>
    <message>
        <source>Cu50型热电阻</source>
        <translation>Cu50 RTD</translation>
    </message>
    <message>
        <source>Pt1000型热电阻</source>
        <translation>Pt1000 RTD</translation>
    </message>
    <message>
        <source>连接成功</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>通信正常</source>
        <translation>Communication OK</translation>
    </message>
    <message>
        <source>通信失败</source>
        <translation>Communication failed</translation>
    </message>
    <message>
        <source>接收成功</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>接收失败</source>
        <translation>Receive failed</translation>
    </message>
    <message>
        <source>读取成功</source>
        <translation>Read OK</translation>
    </message>
    <message>
        <source>读取失败</source>
        <translation>Read failed</translation>
    </message>
    <message>
        <source>发送成功</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>发送失败</source>
        <translation>Send failed</translation>
    </message>
    <message>
        <source>校准成功</source>
        <translation>Calibrated</translation>
    </message>
    <message>
        <source>校准失败</source>
        <translation>Calibration failed</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>修改成功</source>
        <translation>Written</translation>
    </message>
    <message>
        <source>修改失败</source>
        <translation>Write failed</translation>
    </message>
    <message>
        <source>清零成功</source>
        <translation>Zeroed</translation>
    </message>
    <message>
        <source>清零失败</source>
        <translation>Zeroing failed</translation>
    </message>
    <message>
        <source>正在搜索</source>
        <translation>Searching</translation>
    </message>
    <message>
        <source>搜索失败</source>
        <translation>Search failed</translation>
    </message>
    <message>
        <source>搜索完成</source>
        <translation>Search complete</translation>
    </message>
    <message>
        <source>设备忙，请稍候…</source>
        <translation>Device busy, please wait…</translation>
    </message>
    <message>
        <source>设备无应答</source>
        <translation>no reply from the device</translation>
    </message>
    <message>
        <source>结果未知，请读取确认</source>
        <translation>result unknown, read back to check</translation>
    </message>
    <message>
        <source>应答与预期不符</source>
        <translation>unexpected reply</translation>
    </message>
    <message>
        <source>应答中没有设备标识</source>
        <translation>no device identity in the reply</translation>
    </message>
    <message>
        <source>延迟响应超过60秒</source>
        <translation>delayed response took over 60 s</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>未修改：</source>
        <translation> not written: </translation>
    </message>
    <message>
        <source>阻尼时间</source>
        <translation>damping</translation>
    </message>
    <message>
        <source>量程</source>
        <translation>range</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>message</translation>
    </message>
    <message>
        <source>标签、描述符和日期</source>
        <translation>tag, descriptor and date</translation>
    </message>
    <message>
        <source>搜索到在线设备：</source>
        <translation>Devices found: </translation>
    </message>
    <message>
        <source>请先选择电流！</source>
        <translation>Select a current first!</translation>
    </message>
    <message>
        <source>请先选择单位！</source>
        <translation>Select a unit first!</translation>
    </message>
    <message>
        <source>请先选择传感器类型！</source>
        <translation>Select a sensor type first!</translation>
    </message>
    <message>
        <source>长地址格式错误！格式应为：0x5a 0x10 0x01 0x02 0x03</source>
        <translation>Bad long address! Write it as: 0x5a 0x10 0x01 0x02 0x03</translation>
    </message>
    <message>
        <source>偏移值超出范围！</source>
        <translation>Offset out of range!</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>设备故障</source>
        <translation>device malfunction</translation>
    </message>
    <message>
        <source>回路电流饱和</source>
        <translation>loop current saturated</translation>
    </message>
    <message>
        <source>主变量超限</source>
        <translation>PV out of limits</translation>
    </message>
    <message>
        <source>非主变量超限</source>
        <translation>non-PV out of limits</translation>
    </message>
    <message>
        <source>回路电流固定</source>
        <translation>loop current fixed</translation>
    </message>
    <message>
        <source>冷启动</source>
        <translation>cold start</translation>
    </message>
    <message>
        <source>组态已更改</source>
        <translation>configuration changed</translation>
    </message>
    <message>
        <source>有更多状态可用</source>
        <translation>more status available</translation>
    </message>
    <message>
        <source>奇偶校验错误</source>
        <translation>parity error</translation>
    </message>
    <message>
        <source>溢出错误</source>
        <translation>overrun error</translation>
    </message>
    <message>
        <source>帧格式错误</source>
        <translation>framing error</translation>
    </message>
    <message>
        <source>校验和错误</source>
        <translation>checksum error</translation>
    </message>
    <message>
        <source>接收缓冲区溢出</source>
        <translation>receive buffer overflow</translation>
    </message>
    <message>
        <source>校验字节错误</source>
        <translation>bad check byte</translation>
    </message>
    <message>
        <source>线路静默，帧不完整</source>
        <translation>line went silent, frame incomplete</translation>
    </message>
    <message>
        <source>应答缺少状态字节</source>
        <translation>reply without status bytes</translation>
    </message>
    <message>
        <source>请求</source>
        <translation>request</translation>
    </message>
    <message>
        <source>应答</source>
        <translation>reply</translation>
    </message>
    <message>
        <source>突发</source>
        <translation>burst</translation>
    </message>
    <message>
        <source>通信错误：</source>
        <translation>communication error: </translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>响应码 </source>
        <translation>response code </translation>
    </message>
    <message>
        <source>警告：</source>
        <translation>warning: </translation>
    </message>
    <message>
        <source>错误：</source>
        <translation>error: </translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>(长地址 </source>
        <translation> (long address </translation>
    </message>
    <message>
        <source>(短地址 </source>
        <translation> (polling address </translation>
    </message>
    <message>
        <source> 命令 </source>
        <translation> command </translation>
    </message>
    <message>
        <source> 字节数 </source>
        <translation> byte count </translation>
    </message>
    <message>
        <source> | 设备状态：</source>
        <translation> | device status: </translation>
    </message>
    <message>
        <source> | 数据 </source>
        <translation> | data </translation>
    </message>
    <message>
        <source> [丢弃：</source>
        <translation> [dropped: </translation>
    </message>
    <message>
        <source>扩展设备类型</source>
        <translation>expanded device type</translation>
    </message>
    <message>
        <source>制造商</source>
        <translation>manufacturer</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>device type</translation>
    </message>
    <message>
        <source>通用版本</source>
        <translation>universal rev.</translation>
    </message>
    <message>
        <source>设备版本</source>
        <translation>device rev.</translation>
    </message>
    <message>
        <source>软件版本</source>
        <translation>software rev.</translation>
    </message>
    <message>
        <source>硬件版本</source>
        <translation>hardware rev.</translation>
    </message>
    <message>
        <source>信号代码</source>
        <translation>signalling code</translation>
    </message>
    <message>
        <source>前导符</source>
        <translation>preambles</translation>
    </message>
    <message>
        <source>标志</source>
        <translation>flags</translation>
    </message>
    <message>
        <source>设备号</source>
        <translation>device ID</translation>
    </message>
    <message>
        <source>应答前导符</source>
        <translation>reply preambles</translation>
    </message>
    <message>
        <source>设备变量</source>
        <translation>device variables</translation>
    </message>
    <message>
        <source>组态计数</source>
        <translation>config. changes</translation>
    </message>
    <message>
        <source>扩展状态</source>
        <translation>extended status</translation>
    </message>
    <message>
        <source>私有标签</source>
        <translation>private label</translation>
    </message>
    <message>
        <source>设备配置文件</source>
        <translation>device profile</translation>
    </message>
    <message>
        <source>读唯一标识符</source>
        <translation>Read unique identifier</translation>
    </message>
    <message>
        <source>读电流和动态变量</source>
        <translation>Read current and dynamic variables</translation>
    </message>
    <message>
        <source>写轮询地址</source>
        <translation>Write polling address</translation>
    </message>
    <message>
        <source>读消息</source>
        <translation>Read message</translation>
    </message>
    <message>
        <source>读标签、描述符和日期</source>
        <translation>Read tag, descriptor, date</translation>
    </message>
    <message>
        <source>读主变量输出信息</source>
        <translation>Read PV output information</translation>
    </message>
    <message>
        <source>写消息</source>
        <translation>Write message</translation>
    </message>
    <message>
        <source>写标签、描述符和日期</source>
        <translation>Write tag, descriptor, date</translation>
    </message>
    <message>
        <source>写主变量阻尼</source>
        <translation>Write PV damping</translation>
    </message>
    <message>
        <source>写主变量量程</source>
        <translation>Write PV range values</translation>
    </message>
    <message>
        <source>进入/退出固定电流模式</source>
        <translation>Enter/exit fixed current mode</translation>
    </message>
    <message>
        <source>设置主变量零点</source>
        <translation>Set PV zero</translation>
    </message>
    <message>
        <source>微调回路电流零点</source>
        <translation>Trim loop current zero</translation>
    </message>
    <message>
        <source>微调回路电流增益</source>
        <translation>Trim loop current gain</translation>
    </message>
    <message>
        <source>读全部动态变量</source>
        <translation>Read dynamic variables</translation>
    </message>
    <message>
        <source>电阻校准</source>
        <translation>Calibrate resistance</translation>
    </message>
    <message>
        <source>写长地址</source>
        <translation>Write long address</translation>
    </message>
    <message>
        <source>读传感器组态</source>
        <translation>Read sensor configuration</translation>
    </message>
    <message>
        <source>写传感器组态</source>
        <translation>Write sensor configuration</translation>
    </message>
    <message>
        <source>毫伏校准</source>
        <translation>Millivolt calibration</translation>
    </message>
    <message>
        <source>读偏移修正</source>
        <translation>Read offset</translation>
    </message>
    <message>
        <source>写偏移修正</source>
        <translation>Write offset</translation>
    </message>
    <message>
        <source>读电阻校准参考值</source>
        <translation>Read resistance references</translation>
    </message>
    <message>
        <source>读毫伏值</source>
        <translation>Read millivolts</translation>
    </message>
    <message>
        <source>高端标定</source>
        <translation>Calibrate high</translation>
    </message>
    <message>
        <source>低端标定</source>
        <translation>Calibrate low</translation>
    </message>
    <message>
        <source>中点标定</source>
        <translation>Calibrate mid</translation>
    </message>
    <message>
        <source>读放大倍数</source>
        <translation>Read gain</translation>
    </message>
    <message>
        <source>写放大倍数</source>
        <translation>Write gain</translation>
    </message>
    <message>
        <source>读压力码值</source>
        <translation>Read pressure count</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>success</translation>
    </message>
    <message>
        <source>无效选择</source>
        <translation>invalid selection</translation>
    </message>
    <message>
        <source>参数过大</source>
        <translation>value too large</translation>
    </message>
    <message>
        <source>参数过小</source>
        <translation>value too small</translation>
    </message>
    <message>
        <source>数据字节太少</source>
        <translation>too few data bytes</translation>
    </message>
    <message>
        <source>设备特定命令错误</source>
        <translation>device-specific command error</translation>
    </message>
    <message>
        <source>处于写保护模式</source>
        <translation>in write-protect mode</translation>
    </message>
    <message>
        <source>已设为最接近的可能值</source>
        <translation>set to nearest possible value</translation>
    </message>
    <message>
        <source>下限值过高</source>
        <translation>lower range value too high</translation>
    </message>
    <message>
        <source>下限值过低</source>
        <translation>lower range value too low</translation>
    </message>
    <message>
        <source>上限值过高</source>
        <translation>upper range value too high</translation>
    </message>
    <message>
        <source>上限值过低</source>
        <translation>upper range value too low</translation>
    </message>
    <message>
        <source>上下限值均超出范围</source>
        <translation>both range values out of limits</translation>
    </message>
    <message>
        <source>量程过小</source>
        <translation>span too small</translation>
    </message>
    <message>
        <source>访问受限</source>
        <translation>access restricted</translation>
    </message>
    <message>
        <source>设备忙</source>
        <translation>device busy</translation>
    </message>
    <message>
        <source>延迟响应已启动</source>
        <translation>delayed response initiated</translation>
    </message>
    <message>
        <source>延迟响应正在执行</source>
        <translation>delayed response running</translation>
    </message>
    <message>
        <source>延迟响应已失效</source>
        <translation>delayed response dead</translation>
    </message>
    <message>
        <source>延迟响应冲突</source>
        <translation>delayed response conflict</translation>
    </message>
    <message>
        <source>命令未实现</source>
        <translation>command not implemented</translation>
    </message>
    <message>
        <source>HART端口未打开！</source>
        <translation>HART port not open!</translation>
    </message>
    <message>
        <source>HART打开成功！</source>
        <translation>HART port opened!</translation>
    </message>
    <message>
        <source>HART打开失败！</source>
        <translation>HART port failed to open!</translation>
    </message>
    <message>
        <source>HART端口已断开！</source>
        <translation>HART port disconnected!</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>响应</source>
        <translation>response</translation>
    </message>
    <message>
        <source>发布</source>
        <translation>publish</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>error</translation>
    </message>
    <message>
        <source>否认</source>
        <translation>NAK</translation>
    </message>
    <message>
        <source>会话建立</source>
        <translation>session initiate</translation>
    </message>
    <message>
        <source>会话关闭</source>
        <translation>session close</translation>
    </message>
    <message>
        <source>保活</source>
        <translation>keep-alive</translation>
    </message>
    <message>
        <source>令牌传递PDU</source>
        <translation>token-passing PDU</translation>
    </message>
    <message>
        <source>版本不支持</source>
        <translation>version not supported</translation>
    </message>
    <message>
        <source>会话已满</source>
        <translation>all sessions in use</translation>
    </message>
    <message>
        <source>会话已建立</source>
        <translation>session already open</translation>
    </message>
    <message>
        <source>会话已关闭</source>
        <translation>session closed</translation>
    </message>
    <message>
        <source>主主站会话不可用</source>
        <translation>primary master session unavailable</translation>
    </message>
    <message>
        <source>服务不可用</source>
        <translation>service unavailable</translation>
    </message>
    <message>
        <source>类型 </source>
        <translation>type </translation>
    </message>
    <message>
        <source>消息 </source>
        <translation>message </translation>
    </message>
    <message>
        <source>状态 </source>
        <translation>status </translation>
    </message>
    <message>
        <source>错误码 </source>
        <translation>error code </translation>
    </message>
    <message>
        <source>序号 </source>
        <translation>sequence </translation>
    </message>
    <message>
        <source>读长标签</source>
        <translation>Read long tag</translation>
    </message>
    <message>
        <source>子设备不匹配</source>
        <translation>Sub-device mismatch</translation>
    </message>
    <message>
        <source>子设备ID重复</source>
        <translation>Duplicate sub-device ID</translation>
    </message>
    <message>
        <source>块传输待定</source>
        <translation>Block transfer pending</translation>
    </message>
    <message>
        <source>长标签中的 %1 不能写入仪表</source>
        <translation>The %1 in the long tag cannot be written to the instrument</translation>
    </message>
    <message>
        <source>子设备列表已更改</source>
        <translation>Sub-device list changed</translation>
    </message>
    <message>
        <source>模拟通道固定</source>
        <translation>Analog channel fixed</translation>
    </message>
    <message>
        <source>复位组态更改标志</source>
        <translation>Reset configuration-changed flag</translation>
    </message>
    <message>
        <source>非易失存储器故障</source>
        <translation>Non-volatile memory defect</translation>
    </message>
    <message>
        <source>代码 %1</source>
        <translation>code %1</translation>
    </message>
    <message>
        <source>事件通知溢出</source>
        <translation>Event notification overflow</translation>
    </message>
    <message>
        <source>写长标签</source>
        <translation>Write long tag</translation>
    </message>
    <message>
        <source>电子部件故障</source>
        <translation>Electronic defect</translation>
    </message>
    <message>
        <source>仪表已鸣叫</source>
        <translation>The instrument squawked</translation>
    </message>
    <message>
        <source>设备特定状态：</source>
        <translation>Device-specific status: </translation>
    </message>
    <message>
        <source>离散变量仿真已激活</source>
        <translation>Discrete variable simulation active</translation>
    </message>
    <message>
        <source>鸣叫失败</source>
        <translation>Squawk failed</translation>
    </message>
    <message>
        <source>带宽分配待定</source>
        <translation>Bandwidth allocation pending</translation>
    </message>
    <message>
        <source>鸣叫</source>
        <translation>Squawk</translation>
    </message>
    <message>
        <source>供电电压超出范围</source>
        <translation>Supply voltage out of range</translation>
    </message>
    <message>
        <source>无线故障</source>
        <translation>Radio failure</translation>
    </message>
    <message>
        <source>仿真已激活</source>
        <translation>Simulation active</translation>
    </message>
    <message>
        <source>故障</source>
        <translation>Failure</translation>
    </message>
    <message>
        <source>超出规格</source>
        <translation>Out of limits</translation>
    </message>
    <message>
        <source>HART 5 仪表的轮询地址为 0 到 15，%1 未发送</source>
        <translation>A HART 5 instrument's polling address is 0 to 15; %1 not sent</translation>
    </message>
    <message>
        <source>数据过时</source>
        <translation>Stale data</translation>
    </message>
    <message>
        <source>易失存储器故障</source>
        <translation>Volatile memory defect</translation>
    </message>
    <message>
        <source>检测到重复主站</source>
        <translation>Duplicate master detected</translation>
    </message>
    <message>
        <source>功能检查</source>
        <translation>Function check</translation>
    </message>
    <message>
        <source>组态已锁定</source>
        <translation>Configuration locked</translation>
    </message>
    <message>
        <source>请先读取设备状态！</source>
        <translation>Read the device status first!</translation>
    </message>
    <message>
        <source>容量不足</source>
        <translation>Capacity denied</translation>
    </message>
    <message>
        <source>设备变量报警</source>
        <translation>Device variable alert</translation>
    </message>
    <message>
        <source>模拟通道饱和</source>
        <translation>Analog channel saturated</translation>
    </message>
    <message>
        <source>状态仿真已激活</source>
        <translation>Status simulation active</translation>
    </message>
    <message>
        <source>确认失败</source>
        <translation>Acknowledge failed</translation>
    </message>
    <message>
        <source>读附加设备状态</source>
        <translation>Read additional device status</translation>
    </message>
    <message>
        <source>需要维护</source>
        <translation>Maintenance required</translation>
    </message>
    <message>
        <source>看门狗复位</source>
        <translation>Watchdog reset</translation>
    </message>
    <message>
        <source>正在搜索 %1 到 %2</source>
        <translation>Searching %1 to %2</translation>
    </message>
    <message>
        <source>确认成功</source>
        <translation>Acknowledged</translation>
    </message>
    <message>
        <source>此仪表为 HART %1，不支持此操作（需要 HART 6 或 7）：未发送</source>
        <translation>This instrument is HART %1 and does not support this operation (it needs HART 6 or 7): not sent</translation>
    </message>
    <message>
        <source>环境条件超出范围</source>
        <translation>Environmental conditions out of range</translation>
    </message>
    <message>
        <source>长标签最多 32 个字符！</source>
        <translation>A long tag has at most 32 characters!</translation>
    </message>
    <message>
        <source>复位失败</source>
        <translation>Reset failed</translation>
    </message>
    <message>
        <source>复位成功</source>
        <translation>Reset done</translation>
    </message>
    <message>
        <source>电源严重故障</source>
        <translation>Critical power failure</translation>
    </message>
    <message>
        <source>标签中的 %1 不能写入仪表</source>
        <translation>The %1 in the tag cannot be written to the instrument</translation>
    </message>
    <message>
        <source>描述符中的 %1 不能写入仪表</source>
        <translation>The %1 in the descriptor cannot be written to the instrument</translation>
    </message>
    <message>
        <source>消息中的 %1 不能写入仪表</source>
        <translation>The %1 in the message cannot be written to the instrument</translation>
    </message>
    <message>
        <source>所加过程值过高</source>
        <translation>applied process too high</translation>
    </message>
    <message>
        <source>所加过程值过低</source>
        <translation>applied process too low</translation>
    </message>
    <message>
        <source>搜索已中断</source>
        <translation>Search interrupted</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>PASS</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>FAIL</translation>
    </message>
    <message>
        <source>回路电流可能仍处于固定状态，未能恢复</source>
        <translation>the loop current may still be fixed: it could not be released</translation>
    </message>
</context>
<context>
    <name>vantrel</name>
    <message>
        <source>时间(ms)</source>
        <translation>Time (ms)</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Dir.</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>字节数</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>响应码</source>
        <translation>Response</translation>
    </message>
    <message>
        <source>设备状态</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>数据</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>原始字节</source>
        <translation>Raw bytes</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>保存通信记录</source>
        <translation>Save communication log</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>开始采集</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止采集</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>请输入一个整数。</source>
        <translation>Enter a whole number.</translation>
    </message>
    <message>
        <source>请输入一个数字。</source>
        <translation>Enter a number.</translation>
    </message>
    <message>
        <source>请输入一个介于 %1 和 %2 之间的整数。</source>
        <translation>Enter a whole number from %1 to %2.</translation>
    </message>
    <message>
        <source>HART调试工具</source>
        <translation>HART Configurator</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>长地址</source>
        <translation>Long address</translation>
    </message>
    <message>
        <source>标签</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>描述符</source>
        <translation>Descriptor</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>测量上限</source>
        <translation>Upper range value</translation>
    </message>
    <message>
        <source>测量下限</source>
        <translation>Lower range value</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>阻尼时间</source>
        <translation>Damping</translation>
    </message>
    <message>
        <source>传感器类型</source>
        <translation>Sensor type</translation>
    </message>
    <message>
        <source>短地址</source>
        <translation>Polling address</translation>
    </message>
    <message>
        <source>请输入一个介于 %1 和 %2 之间的数字。</source>
        <translation>Enter a number from %1 to %2.</translation>
    </message>
    <message>
        <source>请输入一个不小于 %1 的数字。</source>
        <translation>Enter a number not below %1.</translation>
    </message>
    <message>
        <source>修改内容</source>
        <translation>Changes</translation>
    </message>
    <message>
        <source>长标签</source>
        <translation>Long tag</translation>
    </message>
    <message>
        <source>放大倍数</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>偏移值</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>回路电流模式</source>
        <translation>Loop-current mode</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>enabled</translation>
    </message>
    <message>
        <source>禁用</source>
        <translation>disabled</translation>
    </message>
    <message>
        <source>固定电流输出</source>
        <translation>Fixed current</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>released</translation>
    </message>
    <message>
        <source>输出理论值</source>
        <translation>Trim point</translation>
    </message>
    <message>
        <source>实际电流输出</source>
        <translation>Measured current</translation>
    </message>
    <message>
        <source>低端压力值</source>
        <translation>Low pressure</translation>
    </message>
    <message>
        <source>高端压力值</source>
        <translation>High pressure</translation>
    </message>
    <message>
        <source>中点压力值</source>
        <translation>Mid pressure</translation>
    </message>
    <message>
        <source>修改设备信息</source>
        <translation>Write device information</translation>
    </message>
    <message>
        <source>修改组态</source>
        <translation>Write configuration</translation>
    </message>
    <message>
        <source>输出电流校准</source>
        <translation>Loop current trim</translation>
    </message>
    <message>
        <source>50mV 校准</source>
        <translation>50 mV calibration</translation>
    </message>
    <message>
        <source>0mV 校准</source>
        <translation>0 mV calibration</translation>
    </message>
    <message>
        <source>清除零点</source>
        <translation>Clear zero</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>无应答</source>
        <translation>No reply</translation>
    </message>
    <message>
        <source>已中断</source>
        <translation>Interrupted</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>vantrel::CComDialog</name>
    <message>
        <source>主机地址格式错误！</source>
        <translation>Bad host address!</translation>
    </message>
    <message>
        <source>IP端口应为1～65535！</source>
        <translation>IP port must be 1 to 65535!</translation>
    </message>
    <message>
        <source>请选择密钥文件！</source>
        <translation>Choose a key file!</translation>
    </message>
    <message>
        <source>选择密钥文件</source>
        <translation>Choose the key file</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>vantrel::CDialogConfirm</name>
    <message>
        <source>%1 — 当前压力 %2，量程的 %3 %</source>
        <translation>%1 — pressure now %2, %3 % of range</translation>
    </message>
    <message>
        <source>%1 — 当前读数 %2，量程的 %3 %</source>
        <translation>%1 — reading now %2, %3 % of range</translation>
    </message>
    <message>
        <source>%1 — 当前电流 %2 mA，量程的 %3 %</source>
        <translation>%1 — current now %2 mA, %3 % of range</translation>
    </message>
    <message>
        <source>%1 — 尚未读取</source>
        <translation>%1 — not read yet</translation>
    </message>
    <message>
        <source>输出电流校准 %1 mA</source>
        <translation>Output current trim %1 mA</translation>
    </message>
    <message>
        <source>清除零点</source>
        <translation>Clear zero</translation>
    </message>
    <message>
        <source>低端标定</source>
        <translation>Calibrate low</translation>
    </message>
    <message>
        <source>中点标定</source>
        <translation>Calibrate mid</translation>
    </message>
    <message>
        <source>高端标定</source>
        <translation>Calibrate high</translation>
    </message>
    <message>
        <source>注意：当前读数偏离零点达量程的 %1 %，请确认已泄压再清除零点</source>
        <translation>Caution: the reading is %1 % of the span away from zero; vent the pressure before clearing the zero</translation>
    </message>
</context>
<context>
    <name>vantrel::CMainFrame</name>
    <message>
        <source>团队数据库地址有误：%1</source>
        <translation>The team database address is wrong: %1</translation>
    </message>
    <message>
        <source>PostgreSQL 地址（postgresql://用户@主机/数据库），密码取自 ~/.pgpass。
留空则记录只保存在本机。</source>
        <translation>PostgreSQL address (postgresql://user@host/database); the password comes from ~/.pgpass.
Leave it empty to keep the records on this computer only.</translation>
    </message>
    <message>
        <source>团队数据库</source>
        <translation>Team database</translation>
    </message>
    <message>
        <source>团队数据库…</source>
        <translation>Team database…</translation>
    </message>
    <message>
        <source>仪表：%1</source>
        <translation>Instrument: %1</translation>
    </message>
    <message>
        <source>仪表（%1）的回路电流可能仍处于固定状态，它已不在连接中，无法恢复。</source>
        <translation>The loop current of the instrument (%1) may still be fixed; it is no longer connected and cannot be released.</translation>
    </message>
    <message>
        <source>程序(&amp;P)</source>
        <translation>&amp;Program</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>操作(&amp;O)</source>
        <translation>&amp;Operation</translation>
    </message>
    <message>
        <source>通信端口(&amp;R)</source>
        <translation>Communication &amp;port</translation>
    </message>
    <message>
        <source>通信测试(&amp;T)</source>
        <translation>Communication &amp;test</translation>
    </message>
    <message>
        <source>搜索设备(&amp;S)</source>
        <translation>&amp;Search devices</translation>
    </message>
    <message>
        <source>复位设备(&amp;C)</source>
        <translation>Reset devi&amp;ce</translation>
    </message>
    <message>
        <source>停止通信(&amp;K)</source>
        <translation>Stop commu&amp;nication</translation>
    </message>
    <message>
        <source>通信监视(&amp;M)</source>
        <translation>Communication &amp;monitor</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于 Vantrel(&amp;A)...</source>
        <translation>&amp;About Vantrel...</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>设备状态：</source>
        <translation>Device status: </translation>
    </message>
    <message>
        <source>保存组态…</source>
        <translation>Save configuration…</translation>
    </message>
    <message>
        <source>操作记录…</source>
        <translation>Change journal…</translation>
    </message>
    <message>
        <source>载入组态…</source>
        <translation>Load configuration…</translation>
    </message>
    <message>
        <source>回路电流处于固定状态，退出前恢复正常输出吗？</source>
        <translation>The loop current is fixed. Return it to normal output before exiting?</translation>
    </message>
    <message>
        <source>恢复失败，回路电流可能仍处于固定状态</source>
        <translation>Release failed: the loop current may still be fixed</translation>
    </message>
    <message>
        <source>仍要退出吗？</source>
        <translation>Exit anyway?</translation>
    </message>
    <message>
        <source>按范围搜索…</source>
        <translation>Search a range…</translation>
    </message>
    <message>
        <source>设备状态…</source>
        <translation>Device status…</translation>
    </message>
    <message>
        <source>趋势…</source>
        <translation>Trend…</translation>
    </message>
    <message>
        <source>更多状态…</source>
        <translation>More status…</translation>
    </message>
    <message>
        <source>校验…</source>
        <translation>Check…</translation>
    </message>
</context>
<context>
    <name>vantrel::CTabConf</name>
    <message>
        <source>量程单位 %1 不是压力单位，不能换算为 kPa 标定点</source>
        <translation>The range unit %1 is not a pressure unit; it cannot be turned into kPa calibration points</translation>
    </message>
</context>
<context>
    <name>vantrel::CVantrelView</name>
    <message>
        <source>  标签 </source>
        <translation>  tag </translation>
    </message>
    <message>
        <source>记住此型号</source>
        <translation>Remember this model</translation>
    </message>
    <message>
        <source>Hart设置</source>
        <translation>HART</translation>
    </message>
    <message>
        <source>组态设置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>电流调整</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>操作记录无法写入：%1（%2）。操作照常进行。</source>
        <translation>The change journal cannot be written: %1 (%2). Operations go on.</translation>
    </message>
    <message>
        <source>保存组态</source>
        <translation>Save configuration</translation>
    </message>
    <message>
        <source>组态文件 (*.json)</source>
        <translation>Configuration files (*.json)</translation>
    </message>
    <message>
        <source>组态已保存到 %1</source>
        <translation>Configuration saved to %1</translation>
    </message>
    <message>
        <source>组态未保存：%1（%2）</source>
        <translation>Configuration not saved: %1 (%2)</translation>
    </message>
    <message>
        <source>载入组态</source>
        <translation>Load configuration</translation>
    </message>
    <message>
        <source>组态文件无法载入：%1（%2）</source>
        <translation>Cannot load the configuration file: %1 (%2)</translation>
    </message>
    <message>
        <source>已连接 %1</source>
        <translation>Connected %1</translation>
    </message>
</context>
<context>
    <name>vantrel::Certificate</name>
    <message>
        <source>校前（as found）</source>
        <translation>As found</translation>
    </message>
    <message>
        <source>校后（as left）</source>
        <translation>As left</translation>
    </message>
    <message>
        <source>量程</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>程序</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>长地址</source>
        <translation>Long address</translation>
    </message>
    <message>
        <source>标准器</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>输入校验证书</source>
        <translation>Input check certificate</translation>
    </message>
    <message>
        <source>校验人</source>
        <translation>Technician</translation>
    </message>
    <message>
        <source>允差（量程%）</source>
        <translation>Tolerance (% of span)</translation>
    </message>
    <message>
        <source>标称值</source>
        <translation>Nominal</translation>
    </message>
    <message>
        <source>误差</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>误差（量程%）</source>
        <translation>Error (% of span)</translation>
    </message>
    <message>
        <source>读数</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>FAIL</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>PASS</translation>
    </message>
    <message>
        <source>审核人签字：</source>
        <translation>Reviewed by:</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>总结论：</source>
        <translation>Overall result:</translation>
    </message>
    <message>
        <source>校验人签字：</source>
        <translation>Checked by:</translation>
    </message>
    <message>
        <source>标签</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>回路电流校验证书</source>
        <translation>Loop current check certificate</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Notes</translation>
    </message>
</context>
<context>
    <name>vantrel::CheckDialog</name>
    <message>
        <source>标准器证书有效期应为 YYYY-MM-DD</source>
        <translation>The reference certificate due date must be YYYY-MM-DD</translation>
    </message>
    <message>
        <source>标准器证书有效期</source>
        <translation>Reference certificate due</translation>
    </message>
    <message>
        <source>标准器编号</source>
        <translation>Reference serial</translation>
    </message>
    <message>
        <source>证书未保存：%1</source>
        <translation>Certificate not saved: %1</translation>
    </message>
    <message>
        <source>证书已保存到 %1</source>
        <translation>Certificate saved to %1</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>保存证书</source>
        <translation>Save certificate</translation>
    </message>
    <message>
        <source>证书…</source>
        <translation>Certificate…</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>输入校验（量程 %）</source>
        <translation>Input check (% of range)</translation>
    </message>
    <message>
        <source>回路电流校验（mA）</source>
        <translation>Loop current check (mA)</translation>
    </message>
    <message>
        <source>读数</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>校验记录未保存：%1</source>
        <translation>The check record was not kept: %1</translation>
    </message>
    <message>
        <source>正在固定电流，等待稳定…</source>
        <translation>Fixing the current, waiting for it to settle…</translation>
    </message>
    <message>
        <source>请输入一个数字。</source>
        <translation>Please enter a number.</translation>
    </message>
    <message>
        <source>校验点</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>误差（量程%）</source>
        <translation>Error (% of span)</translation>
    </message>
    <message>
        <source>回路电流可能仍处于固定状态，未能恢复</source>
        <translation>The loop current may still be fixed: it could not be released</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>标称值</source>
        <translation>Nominal</translation>
    </message>
    <message>
        <source>校前</source>
        <translation>As found</translation>
    </message>
    <message>
        <source>校后</source>
        <translation>As left</translation>
    </message>
    <message>
        <source>校验点 %1 超出 %2 到 %3</source>
        <translation>Point %1 is outside %2 to %3</translation>
    </message>
    <message>
        <source>标准器</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>读取设备信息失败</source>
        <translation>Reading the device information failed</translation>
    </message>
    <message>
        <source>阶段</source>
        <translation>Stage</translation>
    </message>
    <message>
        <source>施加量程 %1 % 的标准值，稳定后输入标准值，按 下一点</source>
        <translation>Apply the reference at %1 % of the range; once steady, enter the reference value and press Next point</translation>
    </message>
    <message>
        <source>固定电流失败</source>
        <translation>Fixing the current failed</translation>
    </message>
    <message>
        <source>读取量程失败</source>
        <translation>Reading the range failed</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>FAIL</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>PASS</translation>
    </message>
    <message>
        <source>允差（量程 ±%）</source>
        <translation>Tolerance (± % of span)</translation>
    </message>
    <message>
        <source>回路电流已固定在 %1 mA：输入标准表读数（mA），按 下一点</source>
        <translation>The loop is fixed at %1 mA: enter the reference meter's reading (mA) and press Next point</translation>
    </message>
    <message>
        <source>校验点应为以逗号分隔的数字</source>
        <translation>The points must be numbers separated by commas</translation>
    </message>
    <message>
        <source>允差应为大于 0 的数字</source>
        <translation>The tolerance must be a number above 0</translation>
    </message>
    <message>
        <source>正在恢复回路电流…</source>
        <translation>Releasing the loop current…</translation>
    </message>
    <message>
        <source>校验已取消</source>
        <translation>Check cancelled</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>读取测量值失败</source>
        <translation>Reading the measured value failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>%1 — 记录 %2</source>
        <translation>%1 — record %2</translation>
    </message>
    <message>
        <source>误差</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>下一点</source>
        <translation>Next point</translation>
    </message>
    <message>
        <source>校验人</source>
        <translation>Technician</translation>
    </message>
</context>
<context>
    <name>vantrel::CommMonitor</name>
    <message>
        <source>通信监视</source>
        <translation>Communication monitor</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>通信记录_%1.txt</source>
        <translation>comm_log_%1.txt</translation>
    </message>
    <message>
        <source>无法保存通信记录：%1（%2）</source>
        <translation>Cannot save the communication log: %1 (%2)</translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>Saved to %1</translation>
    </message>
</context>
<context>
    <name>vantrel::ConfigLoadRun</name>
    <message>
        <source>组态未载入：%1</source>
        <translation>Configuration not loaded: %1</translation>
    </message>
    <message>
        <source>仪表：%1
文件：%2</source>
        <translation>Instrument: %1
File: %2</translation>
    </message>
    <message>
        <source>另一型号的仪表，不能载入此组态。
</source>
        <translation>The instrument is another model; this configuration cannot be loaded.
</translation>
    </message>
    <message>
        <source>这是同型号的另一台仪表。是否载入此组态？
</source>
        <translation>This is another instrument of the same model. Load this configuration into it?
</translation>
    </message>
    <message>
        <source>仪表与组态文件一致，无需写入。</source>
        <translation>The instrument matches the configuration file; nothing to write.</translation>
    </message>
    <message>
        <source>组态写入后无法读回：%1</source>
        <translation>The configuration was written but cannot be read back: %1</translation>
    </message>
    <message>
        <source>组态已写入</source>
        <translation>Configuration written</translation>
    </message>
    <message>
        <source>组态未全部写入。</source>
        <translation>The configuration was not written completely.</translation>
    </message>
    <message>
        <source>仪表未接受：%1</source>
        <translation>Not taken by the instrument: %1</translation>
    </message>
</context>
<context>
    <name>vantrel::FrameLogModel</name>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Received</translation>
    </message>
</context>
<context>
    <name>vantrel::HartIpSecureChannel</name>
    <message>
        <source>没有可用的 TLS 库，安全 HART-IP 需要 Qt 的 OpenSSL 后端</source>
        <translation>No TLS library is available; secure HART-IP needs Qt's OpenSSL backend</translation>
    </message>
    <message>
        <source>TLS 后端 %1 不支持预共享密钥或 DTLS，安全 HART-IP 需要 Qt 的 OpenSSL 后端</source>
        <translation>The TLS backend %1 lacks pre-shared keys or DTLS; secure HART-IP needs Qt's OpenSSL backend</translation>
    </message>
    <message>
        <source>密钥或身份不被服务器接受</source>
        <translation>The server does not accept the key or the identity</translation>
    </message>
    <message>
        <source>服务器拒绝握手：密钥、身份或密码套件不被接受</source>
        <translation>The server refused the handshake: key, identity or cipher suite not accepted</translation>
    </message>
    <message>
        <source>服务器不支持 %1</source>
        <translation>The server does not support %1</translation>
    </message>
    <message>
        <source>服务器关闭了安全连接</source>
        <translation>The server closed the secure connection</translation>
    </message>
    <message>
        <source>服务器在握手中不再应答，可能不接受密钥或身份</source>
        <translation>The server stopped answering the handshake; it may not accept the key or the identity</translation>
    </message>
    <message>
        <source>服务器对握手无应答</source>
        <translation>The server does not answer the handshake</translation>
    </message>
    <message>
        <source>服务器在握手中关闭了连接</source>
        <translation>The server closed the connection during the handshake</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>vantrel::HartIpTransport</name>
    <message>
        <source>服务器关闭了连接</source>
        <translation>The server closed the connection</translation>
    </message>
    <message>
        <source>服务器发来的数据无法解读</source>
        <translation>The server sent data that cannot be read</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>服务器关闭了会话</source>
        <translation>The server closed the session</translation>
    </message>
    <message>
        <source>服务器拒绝建立会话：%1</source>
        <translation>The server refused the session: %1</translation>
    </message>
    <message>
        <source>服务器无应答</source>
        <translation>The server does not answer</translation>
    </message>
    <message>
        <source>服务器对保持连接消息无应答</source>
        <translation>the server did not answer the keep-alive</translation>
    </message>
    <message>
        <source>HART-IP 连接失败</source>
        <translation>HART-IP connection failed</translation>
    </message>
    <message>
        <source>密钥文件无法读取：%1</source>
        <translation>The key file cannot be read: %1</translation>
    </message>
    <message>
        <source>密钥文件可被其他用户读取，应只许所有者读写（chmod 600）</source>
        <translation>Others can read the key file; only its owner may (chmod 600)</translation>
    </message>
    <message>
        <source>密钥文件中没有“身份:十六进制密钥”行</source>
        <translation>The key file has no IDENTITY:HEXKEY line</translation>
    </message>
    <message>
        <source>密钥行多于一行</source>
        <translation>more than one key line</translation>
    </message>
    <message>
        <source>缺少冒号，应为“身份:十六进制密钥”</source>
        <translation>no colon; IDENTITY:HEXKEY expected</translation>
    </message>
    <message>
        <source>身份只能由可见的 ASCII 字符组成，且不超过 %1 个</source>
        <translation>the identity must be visible ASCII characters, at most %1</translation>
    </message>
    <message>
        <source>身份短于 %1 个字符</source>
        <translation>the identity is shorter than %1 characters</translation>
    </message>
    <message>
        <source>密钥不是十六进制数</source>
        <translation>the key is not a hex number</translation>
    </message>
    <message>
        <source>密钥短于 %1 字节</source>
        <translation>the key is shorter than %1 bytes</translation>
    </message>
    <message>
        <source>密钥长于 %1 字节</source>
        <translation>the key is longer than %1 bytes</translation>
    </message>
    <message>
        <source>密钥文件第 %1 行：%2</source>
        <translation>Key file line %1: %2</translation>
    </message>
    <message>
        <source>服务器不支持 HART-IP 版本 2</source>
        <translation>The server does not support HART-IP version 2</translation>
    </message>
    <message>
        <source>安全会话建立失败：%1</source>
        <translation>Secure session failed: %1</translation>
    </message>
    <message>
        <source>HART-IP 安全会话 %1</source>
        <translation>HART-IP secure session %1</translation>
    </message>
</context>
<context>
    <name>vantrel::JournalDialog</name>
    <message>
        <source>操作记录</source>
        <translation>Change journal</translation>
    </message>
    <message>
        <source>导出CSV…</source>
        <translation>Export CSV…</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>（%1 行无法读取，已跳过）</source>
        <translation> (%1 unreadable line(s) skipped)</translation>
    </message>
    <message>
        <source>导出操作记录</source>
        <translation>Export change journal</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>操作记录_%1.csv</source>
        <translation>change_journal_%1.csv</translation>
    </message>
    <message>
        <source>无法导出操作记录：%1（%2）</source>
        <translation>Cannot export the change journal: %1 (%2)</translation>
    </message>
    <message>
        <source>仪表</source>
        <translation>Instrument</translation>
    </message>
    <message>
        <source>全部仪表</source>
        <translation>All instruments</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>原始记录</source>
        <translation>Journal record</translation>
    </message>
    <message>
        <source>已导出到 %1</source>
        <translation>Exported to %1</translation>
    </message>
</context>
<context>
    <name>vantrel::LoadDialog</name>
    <message>
        <source>载入组态</source>
        <translation>Load configuration</translation>
    </message>
    <message>
        <source>仪表与文件不同的项目。写入选中的项目：</source>
        <translation>Where the instrument and the file differ. Write the checked ones:</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>仪表</source>
        <translation>Instrument</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>这是另一台仪表，标签默认不写入，以免两台仪表标签相同。
</source>
        <translation>This is another instrument: its tag is not written unless you check it, so that two instruments do not end up with one tag.
</translation>
    </message>
</context>
<context>
    <name>vantrel::OperationRun</name>
    <message>
        <source>%1 未能执行</source>
        <translation>%1 could not run</translation>
    </message>
</context>
<context>
    <name>vantrel::SerialTransport</name>
    <message>
        <source>端口不能控制RTS和DTR（%1）</source>
        <translation>The port cannot drive RTS and DTR (%1)</translation>
    </message>
    <message>
        <source>端口不能控制RTS</source>
        <translation>The port cannot drive RTS</translation>
    </message>
</context>
<context>
    <name>vantrel::SearchDialog</name>
    <message>
        <source>结束地址</source>
        <translation>Last address</translation>
    </message>
    <message>
        <source>起始地址</source>
        <translation>First address</translation>
    </message>
    <message>
        <source>搜索范围</source>
        <translation>Search range</translation>
    </message>
    <message>
        <source>找到第一台仪表即停止</source>
        <translation>Stop at the first instrument found</translation>
    </message>
    <message>
        <source>快速搜索（每个地址一次）</source>
        <translation>Fast search (one try per address)</translation>
    </message>
</context>
<context>
    <name>vantrel::StatusDialog</name>
    <message>
        <source>无附加状态</source>
        <translation>No additional status</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Acknowledge</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>复位组态更改标志</source>
        <translation>Reset configuration changed</translation>
    </message>
    <message>
        <source>设备状态</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>尚未读取</source>
        <translation>Not read yet</translation>
    </message>
</context>
<context>
    <name>vantrel::TrendChart</name>
    <message>
        <source>等待数据…</source>
        <translation>Waiting for data…</translation>
    </message>
    <message>
        <source>主变量 %1 %2</source>
        <translation>PV %1 %2</translation>
    </message>
    <message>
        <source>电流 %1 mA</source>
        <translation>Current %1 mA</translation>
    </message>
    <message>
        <source>百分比 %1 %</source>
        <translation>Percent %1 %</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 分</source>
        <translation>%1 min</translation>
    </message>
</context>
<context>
    <name>vantrel::TrendDock</name>
    <message>
        <source>趋势</source>
        <translation>Trend</translation>
    </message>
    <message>
        <source>时间窗口</source>
        <translation>Time window</translation>
    </message>
    <message>
        <source>1 分钟</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>10 分钟</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>1 小时</source>
        <translation>1 h</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>导出 CSV…</source>
        <translation>Export CSV…</translation>
    </message>
    <message>
        <source>导出图片…</source>
        <translation>Export picture…</translation>
    </message>
    <message>
        <source>采样已停止：%1</source>
        <translation>Sampling stopped: %1</translation>
    </message>
    <message>
        <source>无法保存：%1（%2）</source>
        <translation>Cannot save %1 (%2)</translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>Saved to %1</translation>
    </message>
    <message>
        <source>保存趋势数据</source>
        <translation>Save the trend data</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv);;所有文件 (*)</source>
        <translation>CSV files (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>趋势_%1.csv</source>
        <translation>trend_%1.csv</translation>
    </message>
    <message>
        <source>保存趋势图</source>
        <translation>Save the trend picture</translation>
    </message>
    <message>
        <source>PNG 图片 (*.png);;所有文件 (*)</source>
        <translation>PNG pictures (*.png);;All files (*)</translation>
    </message>
    <message>
        <source>趋势_%1.png</source>
        <translation>trend_%1.png</translation>
    </message>
</context>
<context>
    <name>vantrel::CTabHart</name>
    <message>
        <source>启用</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>禁用</source>
        <translation>Disabled</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>回路电流模式（HART 6/7）：自动为地址 0 时启用，其他地址禁用</source>
        <translation>Loop-current mode (HART 6/7): Auto enables it at address 0 and disables it elsewhere</translation>
    </message>
</context>
<context>
    <name>vantrel::TeamPush</name>
    <message>
        <source>团队数据库不可用，记录保存在本机</source>
        <translation>Team database unavailable; records kept on this computer</translation>
    </message>
</context>
</TS>
