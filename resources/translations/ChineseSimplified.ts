<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Norvik7</name>
    <message>
        <source>Caution: 

High Internal Temperature.
Allow it to cool.</source>
        <translation>警告：

设备内部温度过高。
请等待冷却。</translation>
    </message>
    <message>
        <source>Initializing...</source>
        <translation>初始化中...</translation>
    </message>
    <message>
        <source>Low battery!</source>
        <translation>电量低！</translation>
    </message>
    <message>
        <source>Calibrating...</source>
        <translation>校准中...</translation>
    </message>
</context>
<context>
    <name>AlignmentDistanceMenu</name>
    <message>
        <source>Alignment (Meter)</source>
        <translation>对齐（米）</translation>
    </message>
</context>
<context>
    <name>AutoPowerOffSetSubMenu</name>
    <message>
        <source>Auto power off</source>
        <translation>自动关机</translation>
    </message>
    <message>
        <source>5 Minutes</source>
        <translation>5 分钟</translation>
    </message>
    <message>
        <source>10 Minutes</source>
        <translation>10 分钟</translation>
    </message>
    <message>
        <source>30 Minutes</source>
        <translation>30 分钟</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>AutoSaveSetSubMenu</name>
    <message>
        <source>Auto save</source>
        <translation>自动保存</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
</context>
<context>
    <name>BootSettingsMenu</name>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>下一步</translation>
    </message>
</context>
<context>
    <name>CalImageSubMenu</name>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Saved!</source>
        <translation>已保存！</translation>
    </message>
</context>
<context>
    <name>CalTempSubMenu</name>
    <message>
        <source>Calibration</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>High Gain</source>
        <translation>高增益</translation>
    </message>
    <message>
        <source>Cal Reset</source>
        <translation>校准复位</translation>
    </message>
    <message>
        <source>Cal -10 ℃ </source>
        <translation>校准 -10 ℃ </translation>
    </message>
    <message>
        <source>Cal 20 ℃ </source>
        <translation>校准 20 ℃ </translation>
    </message>
    <message>
        <source>Cal 100 ℃ </source>
        <translation>校准 100 ℃ </translation>
    </message>
    <message>
        <source>New Recal</source>
        <translation>重新计算</translation>
    </message>
    <message>
        <source>Cal Save and Switch Gain</source>
        <translation>保存校准并切换增益</translation>
    </message>
    <message>
        <source>RMVC_CAL</source>
        <translation>RMVC_CAL</translation>
    </message>
    <message>
        <source>RMVC_RESET</source>
        <translation>RMVC_RESET</translation>
    </message>
</context>
<context>
    <name>ColorSubMenu</name>
    <message>
        <source>Iron</source>
        <translation>铁红</translation>
    </message>
    <message>
        <source>Rainbow</source>
        <translation>彩虹</translation>
    </message>
    <message>
        <source>White Hot</source>
        <translation>白热</translation>
    </message>
    <message>
        <source>Red Hot</source>
        <translation>红热</translation>
    </message>
    <message>
        <source>Black Hot</source>
        <translation>黑热</translation>
    </message>
    <message>
        <source>Lava</source>
        <translation>熔岩</translation>
    </message>
    <message>
        <source>Rainbow HC</source>
        <translation>高对比彩虹</translation>
    </message>
</context>
<context>
    <name>CursorSubMenu</name>
    <message>
        <source>Point 1</source>
        <translation>测温点 1</translation>
    </message>
    <message>
        <source>Point 2</source>
        <translation>测温点 2</translation>
    </message>
    <message>
        <source>Point 3</source>
        <translation>测温点 3</translation>
    </message>
</context>
<context>
    <name>DateTimeSetMenu</name>
    <message>
        <source>Date and Time</source>
        <translation>日期和时间</translation>
    </message>
    <message>
        <source>Time format</source>
        <translation>时间格式</translation>
    </message>
    <message>
        <source>24H</source>
        <translation>24小时</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>AM</source>
        <translation>上午</translation>
    </message>
    <message>
        <source>12H</source>
        <translation>12小时</translation>
    </message>
</context>
<context>
    <name>DeleteImageMenu</name>
    <message>
        <source>Delete?</source>
        <translation>删除？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>DeviceInformationSubMenu</name>
    <message>
        <source>Device information</source>
        <translation>设备信息</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>版本：</translation>
    </message>
    <message>
        <source>SN:</source>
        <translation>序列号：</translation>
    </message>
    <message>
        <source>Capacity: </source>
        <translation>容量：</translation>
    </message>
    <message>
        <source>Free: </source>
        <translation>可用：</translation>
    </message>
</context>
<context>
    <name>DisplayIntensitySetSubMenu</name>
    <message>
        <source>Display brightness</source>
        <translation>屏幕亮度</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>低</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>中</translation>
    </message>
    <message>
        <source>High</source>
        <translation>高</translation>
    </message>
</context>
<context>
    <name>FactoryResetSetMenu</name>
    <message>
        <source>Factory reset</source>
        <translation>恢复出厂设置</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>FormatSdcardSetMenu</name>
    <message>
        <source>Format sdcard</source>
        <translation>格式化SD卡</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>HiLoAlertSetMenu</name>
    <message>
        <source>HI/LO Alert</source>
        <translation>高低温报警</translation>
    </message>
    <message>
        <source>  HI    </source>
        <translation>  高温    </translation>
    </message>
    <message>
        <source>On</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>  LO   </source>
        <translation>  低温   </translation>
    </message>
</context>
<context>
    <name>ImageDetailInfoMenu</name>
    <message>
        <source>Image name:</source>
        <translation>图片名称：</translation>
    </message>
    <message>
        <source>Date and Time:</source>
        <translation>日期和时间：</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>分辨率：</translation>
    </message>
    <message>
        <source>Emissivity:</source>
        <translation>发射率：</translation>
    </message>
    <message>
        <source>Temperature:</source>
        <translation>温度：</translation>
    </message>
    <message>
        <source>Unit:</source>
        <translation>单位：</translation>
    </message>
    <message>
        <source>Center:</source>
        <translation>中心：</translation>
    </message>
    <message>
        <source>Max:</source>
        <translation>最高：</translation>
    </message>
    <message>
        <source>Min:</source>
        <translation>最低：</translation>
    </message>
</context>
<context>
    <name>ImageListViewer</name>
    <message>
        <source>No Image and Video in SD card!</source>
        <translation>SD卡中没有图片和视频！</translation>
    </message>
</context>
<context>
    <name>ImageModeSubMenu</name>
    <message>
        <source>Thermal</source>
        <translation>热成像</translation>
    </message>
    <message>
        <source>Digital</source>
        <translation>可见光</translation>
    </message>
    <message>
        <source>Fusion</source>
        <translation>融合</translation>
    </message>
    <message>
        <source>PIP</source>
        <translation>画中画</translation>
    </message>
    <message>
        <source>Alignment</source>
        <translation>对齐</translation>
    </message>
</context>
<context>
    <name>ImageVideoSaveMenu</name>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
</context>
<context>
    <name>LanguageSetSubMenu</name>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Measurement</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Palette</source>
        <translation>调色板</translation>
    </message>
    <message>
        <source>Point Temperature</source>
        <translation>点测温</translation>
    </message>
    <message>
        <source>Image Mode</source>
        <translation>图像模式</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
</context>
<context>
    <name>MeasurementSetMenu</name>
    <message>
        <source>Measurements</source>
        <translation>测量参数</translation>
    </message>
    <message>
        <source>Emissivity</source>
        <translation>发射率</translation>
    </message>
    <message>
        <source>Ambient Temp</source>
        <translation>环境温度</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>距离</translation>
    </message>
</context>
<context>
    <name>SettingSubMenu</name>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Date and Time</source>
        <translation>日期和时间</translation>
    </message>
    <message>
        <source>Temperature unit</source>
        <translation>温度单位</translation>
    </message>
    <message>
        <source>HI/LO Alert</source>
        <translation>高低温报警</translation>
    </message>
    <message>
        <source>Temperature scale</source>
        <translation>温度量程</translation>
    </message>
    <message>
        <source>Display brightness</source>
        <translation>屏幕亮度</translation>
    </message>
    <message>
        <source>Auto power off</source>
        <translation>自动关机</translation>
    </message>
    <message>
        <source>USB mode</source>
        <translation>USB模式</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>测量参数</translation>
    </message>
    <message>
        <source>System settings</source>
        <translation>系统设置</translation>
    </message>
</context>
<context>
    <name>SystemSettingSubMenu</name>
    <message>
        <source>System settings</source>
        <translation>系统设置</translation>
    </message>
    <message>
        <source>Device information</source>
        <translation>设备信息</translation>
    </message>
    <message>
        <source>Factory reset</source>
        <translation>恢复出厂设置</translation>
    </message>
    <message>
        <source>Format sdcard</source>
        <translation>格式化SD卡</translation>
    </message>
    <message>
        <source>Auto save</source>
        <translation>自动保存</translation>
    </message>
</context>
<context>
    <name>TempSubMenu</name>
    <message>
        <source>Center spot</source>
        <translation>中心点</translation>
    </message>
    <message>
        <source>HiLo spot</source>
        <translation>高低温点</translation>
    </message>
    <message>
        <source>ROI(Region of Interest)</source>
        <translation>感兴趣区域</translation>
    </message>
</context>
<context>
    <name>TemperatureScaleSetMenu</name>
    <message>
        <source>Temperature scale</source>
        <translation>温度量程</translation>
    </message>
    <message>
        <source>Low gain</source>
        <translation>低增益</translation>
    </message>
    <message>
        <source>High gain</source>
        <translation>高增益</translation>
    </message>
</context>
<context>
    <name>TemperatureUnitSetMenu</name>
    <message>
        <source>Temperature unit</source>
        <translation>温度单位</translation>
    </message>
    <message>
        <source>℃        </source>
        <translation>℃        </translation>
    </message>
    <message>
        <source>℉        </source>
        <translation>℉        </translation>
    </message>
</context>
<context>
    <name>UpgradeSubMenu</name>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>App</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>System</source>
        <translation>系统</translation>
    </message>
    <message>
        <source>Please put the app into</source>
        <translation>请将应用程序放入</translation>
    </message>
    <message>
        <source>the /Upgrade/ folder.</source>
        <translation>/Upgrade/ 文件夹。</translation>
    </message>
</context>
<context>
    <name>UsbConnectModeSubMenu</name>
    <message>
        <source>USB mode</source>
        <translation>USB模式</translation>
    </message>
    <message>
        <source>USB camera</source>
        <translation>USB摄像头</translation>
    </message>
    <message>
        <source>USB disk</source>
        <translation>USB磁盘</translation>
    </message>
</context>
<context>
    <name>VideoDetailInfoMenu</name>
    <message>
        <source>Video name:</source>
        <translation>视频名称：</translation>
    </message>
    <message>
        <source>Date and Time:</source>
        <translation>日期和时间：</translation>
    </message>
    <message>
        <source>Length:</source>
        <translation>时长：</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>大小：</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>分辨率：</translation>
    </message>
</context>
<context>
    <name>WifiOpenStatusMenu</name>
    <message>
        <source>WIFI opening ......</source>
        <translation>WIFI 正在开启……</translation>
    </message>
    <message>
        <source>SSID:</source>
        <translation>SSID：</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>密码：</translation>
    </message>
    <message>
        <source>47193856</source>
        <translation>47193856</translation>
    </message>
</context>
<context>
    <name>WifiSubMenu</name>
    <message>
        <source>WIFI</source>
        <translation>WIFI</translation>
    </message>
</context>
</TS>
